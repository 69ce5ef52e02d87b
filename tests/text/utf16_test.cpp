// UTF-16 to and from UTF-8: pairs, lone surrogates (U+FFFD or refused), odd bytes, and the
// way back.
#include <gtest/gtest.h>

#include <string>

#include "src/text/utf16.h"

namespace {

struct Case {
    const char* name;
    std::string le;        // UTF-16LE bytes
    std::string lenient;   // utf16leToUtf8
    bool strictOk;         // utf16leToUtf8Strict accepts it (and gives `lenient`)
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Utf16Test : public ::testing::TestWithParam<Case> {};

TEST_P(Utf16Test, ConvertsToUtf8) {
    const Case& c = GetParam();
    const auto* data = reinterpret_cast<const uint8_t*>(c.le.data());
    EXPECT_EQ(tovrin::utf16leToUtf8(data, c.le.size()), c.lenient);
    std::string strict;
    EXPECT_EQ(tovrin::utf16leToUtf8Strict(data, c.le.size(), &strict), c.strictOk);
    if (!c.strictOk) return;
    EXPECT_EQ(strict, c.lenient);
    // Valid text comes back unit for unit.
    std::string back;
    for (char16_t unit : tovrin::utf8ToUtf16(c.lenient)) {
        back.push_back(static_cast<char>(unit & 0xFF));
        back.push_back(static_cast<char>(unit >> 8));
    }
    EXPECT_EQ(back, c.le);
    std::string appended;
    const std::u16string units = tovrin::utf8ToUtf16(c.lenient);
    for (size_t i = 0; i < units.size();) tovrin::appendUtf16le(appended, tovrin::nextCodePoint(units, &i));
    EXPECT_EQ(appended, c.le);
}

const std::string kFffd = "\xEF\xBF\xBD";

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf16Test,
    ::testing::Values(
        Case{"Empty", "", "", true},
        Case{"Ascii", std::string("D\0e\0m\0o\0", 8), "Demo", true},
        Case{"TwoAndThreeBytes", std::string("\xE9\x00\xAC\x20", 4), "\xC3\xA9\xE2\x82\xAC", true},
        Case{"SurrogatePair", std::string("\x3D\xD8\x00\xDE", 4), "\xF0\x9F\x98\x80", true},
        Case{"LoneHigh", std::string("\x3D\xD8" "A\0", 4), kFffd + "A", false},
        Case{"LoneLow", std::string("\x00\xDE", 2), kFffd, false},
        Case{"HighAtEnd", std::string("A\0\x3D\xD8", 4), "A" + kFffd, false},
        Case{"OddByte", std::string("A\0B", 3), "A" + kFffd, false},
        Case{"NoCharacterFFFF", std::string("\xFF\xFF", 2), "\xEF\xBF\xBF", true}),
    [](const ::testing::TestParamInfo<Case>& p) { return std::string(p.param.name); });

}  // namespace
