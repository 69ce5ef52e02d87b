#include <gtest/gtest.h>

#include <string>

#include "src/scan/path_text.h"
#include "tests/scan/tree_helpers.h"

namespace tovrin {
namespace {

using test::native;

struct TextCase {
    std::string in;
    std::string out;
};

class TrimAtNulTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(TrimAtNulTest, KeepsWhatStandsBeforeTheFirstNul) {
    EXPECT_EQ(TrimAtNul(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TrimAtNulTest,
    ::testing::Values(TextCase{"", ""}, TextCase{"demo.app", "demo.app"},
                      TextCase{std::string("ab\0cd", 5), "ab"},
                      TextCase{std::string("\0ab", 3), ""}, TextCase{std::string("a\0\0", 3), "a"},
                      // a whole fixed name field of a search record
                      TextCase{std::string("demo.app") + std::string(252, '\0'), "demo.app"}));

class AddBackslashTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(AddBackslashTest, EndsInExactlyOneMoreSeparatorUnlessThereIsOne) {
    EXPECT_EQ(AddBackslash(native(GetParam().in)), native(GetParam().out));
}

INSTANTIATE_TEST_SUITE_P(Paths, AddBackslashTest,
                         ::testing::Values(TextCase{"", "\\"}, TextCase{"\\", "\\"},
                                           TextCase{"C:\\proj", "C:\\proj\\"},
                                           TextCase{"C:\\proj\\", "C:\\proj\\"},
                                           TextCase{"C:\\proj\\\\", "C:\\proj\\\\"},
                                           TextCase{"proj.", "proj.\\"}));

}  // namespace
}  // namespace tovrin
