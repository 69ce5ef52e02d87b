#include <gtest/gtest.h>

#include <string>

#include "src/sis/sis_text.h"

namespace tovrin::sis {
namespace {

std::string fromUtf16(const std::string& bytes) {
    return utf16leToUtf8(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string fromCp1252(const std::string& bytes) {
    return cp1252ToUtf8(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

struct TextCase {
    std::string in;
    std::string out;
};

class Utf16 : public ::testing::TestWithParam<TextCase> {};
TEST_P(Utf16, ToUtf8) { EXPECT_EQ(fromUtf16(GetParam().in), GetParam().out); }

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf16,
    ::testing::Values(TextCase{std::string("D\0e\0m\0o\0", 8), "Demo"},
                      TextCase{std::string("\xE9\0\xAC\x20", 4), "\xC3\xA9\xE2\x82\xAC"},
                      TextCase{std::string("\x3D\xD8\x00\xDE", 4), "\xF0\x9F\x98\x80"},  // pair
                      TextCase{std::string("\x3D\xD8"
                                           "A\0",
                                           4),
                               "\xEF\xBF\xBD"
                               "A"},                                         // lone high
                      TextCase{std::string("\x00\xDE", 2), "\xEF\xBF\xBD"},  // lone low
                      TextCase{std::string("A\0B", 3), "A\xEF\xBF\xBD"},     // odd byte
                      TextCase{std::string("\0\0", 2), std::string("\0", 1)}));

class Cp1252 : public ::testing::TestWithParam<TextCase> {};
TEST_P(Cp1252, ToUtf8) { EXPECT_EQ(fromCp1252(GetParam().in), GetParam().out); }

INSTANTIATE_TEST_SUITE_P(Cases, Cp1252,
                         ::testing::Values(TextCase{"abc", "abc"}, TextCase{"\xE9", "\xC3\xA9"},
                                           TextCase{"\x80", "\xE2\x82\xAC"},
                                           TextCase{"\x99", "\xE2\x84\xA2"},
                                           TextCase{"\x81", "\xEF\xBF\xBD"},
                                           TextCase{"\xFF", "\xC3\xBF"}));

}  // namespace
}  // namespace tovrin::sis
