#include <gtest/gtest.h>

#include "src/sis/uid_text.h"

namespace tovrin {
namespace {

TEST(Forstr, PadsToTwoCharacters) {
    EXPECT_EQ(forstr("A"), "0A");
    EXPECT_EQ(forstr("5B"), "5B");
    EXPECT_EQ(forstr(""), "0");
}

}  // namespace
}  // namespace tovrin
