#include <gtest/gtest.h>

#include "src/package/batch_script.h"
#include "src/platform/path.h"

using namespace tovrin;

namespace {

struct Quoting {
    std::string path, argument;
};

class BatchArgument : public ::testing::TestWithParam<Quoting> {};

TEST_P(BatchArgument, QuotesOnlyWhereNeeded) {
    EXPECT_EQ(batchArgument(GetParam().path), GetParam().argument);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, BatchArgument,
    ::testing::Values(Quoting{"/wiz/bin/", "/wiz/bin/"},
                      Quoting{"C:\\Wiz\\bin\\temp.pkg", "C:\\Wiz\\bin\\temp.pkg"},
                      Quoting{"/my wiz/bin/", "\"/my wiz/bin/\""},
                      Quoting{"/a&b/x.sis", "\"/a&b/x.sis\""}, Quoting{"/a(1)/x", "\"/a(1)/x\""},
                      Quoting{"/100%/x", "/100%%/x"}, Quoting{"/50% off/x", "\"/50%% off/x\""},
                      Quoting{"/a^b", "\"/a^b\""}, Quoting{"", "\"\""}));

TEST(GoBat, PlainFolderGivesTheTwoLinesAsTheyStand) {
    const std::string s(1, kSeparator);
    EXPECT_EQ(goBatLines(s + "Wiz"),
              (std::vector<std::string>{"cd " + s + "Wiz" + s + "bin" + s,
                                        "makesis.exe " + s + "Wiz" + s + "bin" + s + "temp.pkg > " +
                                            s + "Wiz" + s + "bin" + s + "res.txt"}));
}

TEST(GoBat, FolderWithBlankIsQuotedInEveryPlace) {
    const std::string s(1, kSeparator);
    const std::string bin = s + "My Wiz" + s + "bin" + s;
    EXPECT_EQ(
        goBatLines(s + "My Wiz"),
        (std::vector<std::string>{"cd \"" + bin + "\"",
                                  "makesis.exe \"" + bin + "temp.pkg\" > \"" + bin + "res.txt\""}));
}

}  // namespace
