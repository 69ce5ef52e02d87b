// Rules about characters of local text: in a double-byte ANSI code page the second byte of a
// character may be that of "\" or "|" (表 is 95 5C and ポ 83 7C in code page 932). Each row is
// written in UTF-8 and made local text; a row whose characters the code page lacks is passed
// over. The rows run on Linux (UTF-8) and under wine with code pages 1252, 936 and 932.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "src/platform/local_text.h"

namespace tovrin {
namespace {

struct CharacterRow {
    const char* utf8;
    std::size_t characters;
    bool endsInBackslash;
    bool holdsBackslash;
    bool holdsBar;
    std::u32string codePoints;
    const char* beforeLastBackslash;  // nullptr: none
};

void PrintTo(const CharacterRow& r, std::ostream* os) { *os << r.utf8; }

#ifdef _WIN32
// The runs under another code page name the one they ask wine for. Without that locale wine
// falls back to another code page, and every row the code page lacks would be passed over
// unseen.
TEST(LocalCharactersCodePage, IsTheOneTheRunAsksFor) {
    const char* asked = std::getenv("TOVRIN_EXPECTED_CODE_PAGE");
    if (!asked) GTEST_SKIP() << "this run asks for no code page";
    EXPECT_EQ(GetACP(), std::strtoul(asked, nullptr, 10));
}
#endif

class LocalCharacters : public ::testing::TestWithParam<CharacterRow> {};

TEST_P(LocalCharacters, AreCountedAndComparedAsCharactersNotBytes) {
    const CharacterRow& r = GetParam();
    const std::string text = localFromUtf8(r.utf8);
    if (codePoints(text).find(U'?') != std::u32string::npos)
        GTEST_SKIP() << "this code page lacks a character of " << r.utf8;
    EXPECT_EQ(characterCount(text), r.characters);
    EXPECT_EQ(endsWithCharacter(text, '\\'), r.endsInBackslash);
    EXPECT_EQ(holdsCharacter(text, '\\'), r.holdsBackslash);
    EXPECT_EQ(holdsCharacter(text, '|'), r.holdsBar);
    EXPECT_EQ(codePoints(text), r.codePoints);
    const std::size_t last = findLastCharacterOf(text, "\\");
    if (r.beforeLastBackslash)
        EXPECT_EQ(text.substr(0, last), localFromUtf8(r.beforeLastBackslash));
    else
        EXPECT_EQ(last, std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LocalCharacters,
    ::testing::Values(
        CharacterRow{"\xE8\xA1\xA8", 1, false, false, false, U"\u8868", nullptr},  // 表
        CharacterRow{"C:\\\xE8\xA1\xA8", 4, false, true, false, U"C:\\\u8868", "C:"},
        CharacterRow{"\xE8\xA1\xA8\\", 2, true, true, false, U"\u8868\\", "\xE8\xA1\xA8"},
        CharacterRow{"\xE3\x83\x9D\xE3\x83\xAA", 2, false, false, false, U"\u30dd\u30ea",
                     nullptr},  // ポリ
        CharacterRow{"\xE6\x95\xB0\xE6\x8D\xAE", 2, false, false, false, U"\u6570\u636e",
                     nullptr},  // 数据
        CharacterRow{"a|b\\", 4, true, true, true, U"a|b\\", "a|b"},
        CharacterRow{"caf\xC3\xA9", 4, false, false, false, U"caf\u00e9", nullptr},
        CharacterRow{"", 0, false, false, false, U"", nullptr}));

}  // namespace
}  // namespace tovrin
