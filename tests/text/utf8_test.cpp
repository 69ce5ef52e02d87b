// The one UTF-8 check of the project, whole, piece by piece and character by character.
#include <gtest/gtest.h>

#include <string>

#include "src/text/utf8.h"

namespace tovrin {
namespace {

const uint8_t* bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

struct Utf8Case {
    const char* name;
    std::string text;
    bool valid;
    std::size_t firstLength;  // of the character at the start; 0 where none begins there
};

void PrintTo(const Utf8Case& c, std::ostream* os) { *os << c.name; }

class Utf8CheckTest : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8CheckTest, JudgesTheWholeTextAlsoWhenFedBytewise) {
    const Utf8Case& c = GetParam();
    Utf8Checker whole, bytewise;
    whole.update(bytes(c.text), c.text.size());
    for (size_t i = 0; i < c.text.size(); ++i) bytewise.update(bytes(c.text) + i, 1);
    EXPECT_EQ(whole.valid(), c.valid);
    EXPECT_EQ(bytewise.valid(), c.valid);
    EXPECT_EQ(utf8CharacterLength(c.text, 0), c.firstLength);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf8CheckTest,
    ::testing::Values(Utf8Case{"Ascii", "plain text\r\n", true, 1},
                      Utf8Case{"Accents", "\xC3\xA9 caf\xC3\xA9 \xE2\x82\xAC", true, 2},
                      Utf8Case{"ThreeBytes", "\xE2\x82\xAC", true, 3},
                      Utf8Case{"FourBytes", "\xF0\x9F\x98\x80", true, 4},
                      Utf8Case{"Latin1", "\xE9t\xE9", false, 0},
                      Utf8Case{"CutAtEnd", "\xE2\x82", false, 0},
                      Utf8Case{"Overlong", "\xC0\xAF", false, 0},
                      Utf8Case{"OverlongThreeBytes", "\xE0\x80\xAF", false, 0},
                      Utf8Case{"Surrogate", "\xED\xA0\x80", false, 0},
                      Utf8Case{"AboveUnicode", "\xF4\x90\x80\x80", false, 0},
                      Utf8Case{"LeadAboveUnicode", "\xF5\x80\x80\x80", false, 0},
                      Utf8Case{"StrayContinuation",
                               "\x80"
                               "a",
                               false, 0}),
    [](const ::testing::TestParamInfo<Utf8Case>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace tovrin
