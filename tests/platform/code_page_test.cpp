// Conversions between UTF-16 and a code page passed in, as the Windows documentation wants
// each code page called: exact or refused, never "?", a look-alike or an empty text. Wine
// accepts flags that Windows refuses for UTF-8 (65001), so the flags show only where wine
// refuses them too (UTF-7, 65000; wine has no GB18030); the round trip shows everywhere.

#include <gtest/gtest.h>

#include <string>

#include "src/platform/code_page.h"

namespace tovrin {
namespace {

struct Conversion {
    unsigned codePage;
    std::wstring wide;
    const char* bytes;  // nullptr: the code page lacks a character of the text
};

void PrintTo(const Conversion& c, std::ostream* os) { *os << "code page " << c.codePage; }

class CodePageConversion : public ::testing::TestWithParam<Conversion> {};

TEST_P(CodePageConversion, IsExactBothWaysOrRefused) {
    const Conversion& c = GetParam();
    std::string text = "not touched";
    const bool converted = codePageFromWide(c.codePage, c.wide, &text);
    if (!c.bytes) {
        EXPECT_FALSE(converted) << "gave " << text;
        return;
    }
    ASSERT_TRUE(converted);
    EXPECT_EQ(text, c.bytes);
    std::wstring back;
    ASSERT_TRUE(wideFromCodePage(c.codePage, text, &back));
    EXPECT_EQ(back, c.wide);
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, CodePageConversion,
    ::testing::Values(Conversion{65001, L"\u00e9\u8868", "\xC3\xA9\xE8\xA1\xA8"},
                      Conversion{65001, std::wstring(1, wchar_t(0xD800)), nullptr},
                      Conversion{65000, L"\u00e9\u8868", "+AOmIaA-"},
                      Conversion{936, L"\u8868\u793a\u30dd\u30ea",
                                 "\xB1\xED\xCA\xBE\xA5\xDD\xA5\xEA"},
                      Conversion{932, L"\u8868\u30dd\u30ea", "\x95\x5C\x83\x7C\x83\x8A"},
                      Conversion{1252, L"\u00e9\u20ac", "\xE9\x80"},
                      Conversion{1252, L"\u0142", nullptr},  // best fit would give "l"
                      Conversion{1252, L"\u8868", nullptr}, Conversion{437, L"\u00e9", "\x82"},
                      Conversion{437, L"\u20ac", nullptr}));

TEST(CodePageText, ThatIsNotValidInTheCodePageIsRefused) {
    std::wstring wide = L"not touched";
    EXPECT_FALSE(wideFromCodePage(65001, "caf\xE9", &wide));
    EXPECT_FALSE(wideFromCodePage(932, "\x95", &wide));  // a lead byte without its second byte
    EXPECT_TRUE(wideFromCodePage(65001, "", &wide));
    EXPECT_EQ(wide, L"");
}

TEST(CodePageText, MarkedGivesEachMissingCharacterAsTheMark) {
    EXPECT_EQ(codePageFromWideMarked(1252, L"\u0142\u8868 \u00e9.txt", '?'), "?? \xE9.txt");
    EXPECT_EQ(codePageFromWideMarked(1252, L"\U0001F600.txt", '?'), "?.txt");  // one character
    EXPECT_EQ(codePageFromWideMarked(936, L"\u8868.txt", '?'), "\xB1\xED.txt");
}

}  // namespace
}  // namespace tovrin
