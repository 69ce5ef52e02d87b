#include "tools/cmd/batch_line.h"

#include <gtest/gtest.h>

namespace tovrin::cmd {
namespace {

struct SplitCase {
    const char* line;
    std::vector<std::string> words;
    const char* target;  // nullptr: no redirection
    bool append;
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, WordsAndRedirection) {
    const SplitCase& c = GetParam();
    BatchLine line = parseLine(c.line);
    EXPECT_EQ(line.error, "");
    EXPECT_EQ(line.words, c.words);
    EXPECT_EQ(line.redirected, c.target != nullptr);
    EXPECT_EQ(line.target, c.target ? c.target : "");
    EXPECT_EQ(line.append, c.append);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitTest,
    ::testing::Values(
        SplitCase{"", {}, nullptr, false}, SplitCase{" \t \r", {}, nullptr, false},
        SplitCase{"cd /app/bin/\r", {"cd", "/app/bin/"}, nullptr, false},
        SplitCase{"cd    /app/bin/", {"cd", "/app/bin/"}, nullptr, false},
        SplitCase{"\t del\ta.txt  \t", {"del", "a.txt"}, nullptr, false},
        SplitCase{"copy \"/my app/temp.sis\" \"/out dir/Demo.sis\"",
                  {"copy", "/my app/temp.sis", "/out dir/Demo.sis"},
                  nullptr,
                  false},
        SplitCase{"show \"a  b\"c \"\" d", {"show", "a  bc", "", "d"}, nullptr, false},
        SplitCase{
            "show \"a & b | c > d < e ^ f\"", {"show", "a & b | c > d < e ^ f"}, nullptr, false},
        SplitCase{"del 100%%.txt", {"del", "100%.txt"}, nullptr, false},
        SplitCase{"del \"50%% off.txt\"", {"del", "50% off.txt"}, nullptr, false},
        SplitCase{"del %%%%", {"del", "%%"}, nullptr, false},
        SplitCase{"makesis.exe /a/temp.pkg > /a/res.txt\r",
                  {"makesis.exe", "/a/temp.pkg"},
                  "/a/res.txt",
                  false},
        SplitCase{"makesis.exe /a/temp.pkg>/a/res.txt",
                  {"makesis.exe", "/a/temp.pkg"},
                  "/a/res.txt",
                  false},
        SplitCase{
            "makesis.exe p > \"/my app/res.txt\"", {"makesis.exe", "p"}, "/my app/res.txt", false},
        SplitCase{"> out.txt show a", {"show", "a"}, "out.txt", false},
        SplitCase{"show a >> log", {"show", "a"}, "log", true},
        SplitCase{"show a 1> log", {"show", "a"}, "log", false},
        SplitCase{"show a1> log", {"show", "a1"}, "log", false},
        SplitCase{"show \"1\"> log", {"show", "1"}, "log", false},
        SplitCase{"@del a", {"del", "a"}, nullptr, false},
        SplitCase{"show a@b", {"show", "a@b"}, nullptr, false}));

struct RefusedCase {
    const char* line;
    const char* error;
};

class RefusedTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedTest, ReportsWhyAndKeepsNoWords) {
    BatchLine line = parseLine(GetParam().line);
    EXPECT_EQ(line.error, GetParam().error);
    EXPECT_TRUE(line.words.empty());
    EXPECT_FALSE(line.redirected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RefusedTest,
    ::testing::Values(RefusedCase{"del a | more", "'|' is not supported"},
                      RefusedCase{"del a & del b", "'&' is not supported"},
                      RefusedCase{"del a && del b", "'&' is not supported"},
                      RefusedCase{"show < in.txt", "'<' is not supported"},
                      RefusedCase{"del a^ b", "'^' is not supported"},
                      RefusedCase{"del %TEMP%\\x", "'%' variable expansion is not supported"},
                      RefusedCase{"del \"%1\"", "'%' variable expansion is not supported"},
                      RefusedCase{"del a%", "'%' variable expansion is not supported"},
                      RefusedCase{"del \"a b", "a quote is not closed"},
                      RefusedCase{"show >", "'>' has no file after it"},
                      RefusedCase{"show > \"\"", "'>' has no file after it"},
                      RefusedCase{"show > > x", "'>' has no file after it"},
                      RefusedCase{"show > a > b", "more than one '>' on the line"},
                      RefusedCase{"show 2> err.txt", "only standard output can be redirected"},
                      RefusedCase{"show 2>&1", "only standard output can be redirected"}));

TEST(BatchLineTest, AndSplitsCommandsOutsideQuotesOnly) {
    using Parts = std::vector<std::string>;
    EXPECT_EQ(splitAtAnd("del a"), Parts{"del a"});
    EXPECT_EQ(splitAtAnd("copy a b && move /y b c\r"), (Parts{"copy a b ", " move /y b c\r"}));
    EXPECT_EQ(splitAtAnd("a&&b && c"), (Parts{"a", "b ", " c"}));
    EXPECT_EQ(splitAtAnd("del \"x && y\" && del z"), (Parts{"del \"x && y\" ", " del z"}));
    EXPECT_EQ(splitAtAnd("a & b &&& c"), (Parts{"a & b ", "& c"}));
    EXPECT_EQ(splitAtAnd("&&"), (Parts{"", ""}));
}

TEST(BatchLineTest, NulByteIsRefused) {
    EXPECT_EQ(parseLine(std::string("del a\0b", 7)).error, "the line holds a NUL byte");
}

}  // namespace
}  // namespace tovrin::cmd
