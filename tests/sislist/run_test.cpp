// The command: arguments, exit status, what goes to which stream; and the built program run
// as a process.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "src/sis/crc.h"
#include "src/sis/sis_format.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tools/sislist/sislist.h"

namespace tovrin::sislist {
namespace {

const std::string kWizard = std::string(TOVRIN_TEST_DATA_DIR) + "/makesis/s60-wizard/expected.sis";
const std::string kWizardListing =
    test::readFile(std::string(TOVRIN_TEST_DATA_DIR) + "/listings/s60-wizard.expected");
const std::string kUsage =
    "usage: sislist [-x DIR] [--at YYYY-MM-DD] package.sis\n"
    "       sislist --json [--at YYYY-MM-DD] package.sis... | --json -r FOLDER...\n"
    "       sislist --pkg DIR | --pkg-all DIR package.sis\n";

struct Result {
    int status;
    std::string out, err;
};

Result runWith(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = run(args, out, err);
    return {status, out.str(), err.str()};
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    std::string err;
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class Usage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(Usage, RefusedWithStatusOne) {
    const Result r = runWith(GetParam().args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, GetParam().err);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, Usage,
    ::testing::Values(
        UsageCase{"Nothing", {}, "sislist: no package given\n" + kUsage},
        UsageCase{"UnknownOption",
                  {"-q", "a.sis"},
                  "sislist: unknown or repeated option '-q'\n" + kUsage},
        UsageCase{"FolderMissing",
                  {"a.sis", "-x"},
                  "sislist: unknown or repeated option '-x'\n" + kUsage},
        UsageCase{"TwoFolders",
                  {"-x", "a", "-x", "b", "a.sis"},
                  "sislist: unknown or repeated option '-x'\n" + kUsage},
        UsageCase{
            "TwoPackages", {"a.sis", "b.sis"}, "sislist: more than one package given\n" + kUsage},
        UsageCase{"OnlyFolder", {"-x", "dir"}, "sislist: no package given\n" + kUsage},
        UsageCase{"NoDay",
                  {"--at", "2008-13-01", "a.sis"},
                  "sislist: --at wants a day as YYYY-MM-DD, not '2008-13-01'\n" + kUsage},
        UsageCase{"FoldersWithoutJson", {"-r", "dir"}, "sislist: -r goes with --json\n" + kUsage},
        UsageCase{"JsonAndExtraction",
                  {"--json", "-x", "dir", "a.sis"},
                  "sislist: --json lists only: no -x, --pkg or --pkg-all with it\n" + kUsage},
        UsageCase{"JsonWithoutFolder", {"--json", "-r"}, "sislist: no folder given\n" + kUsage}),
    [](const ::testing::TestParamInfo<UsageCase>& info) { return info.param.name; });

struct AnswerCase {
    const char* name;
    std::vector<std::string> args;
    std::string outStart;
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class Answer : public ::testing::TestWithParam<AnswerCase> {};

// Help and version go to standard output with status 0, whatever else the line holds.
TEST_P(Answer, OnStandardOutputWithStatusZero) {
    const Result r = runWith(GetParam().args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind(GetParam().outStart, 0), 0u) << r.out;
    EXPECT_EQ(r.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, Answer,
    ::testing::Values(AnswerCase{"Short", {"-h"}, kUsage + "Lists a Series 60 package"},
                      AnswerCase{"Long", {"--help"}, kUsage},
                      AnswerCase{"AmongOthers", {"-x", "dir", "a.sis", "--help"}, kUsage},
                      AnswerCase{"Version", {"--version"}, "sislist " TOVRIN_VERSION "\n"}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return info.param.name; });

TEST(Run, MissingFile) {
    test::TempDir dir;
    const std::string file = (dir.path() / "absent.sis").string();
    const Result r = runWith({file});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, file + ": cannot open: No such file or directory\n");
}

TEST(Run, FolderIsNoPackage) {
    test::TempDir dir;
    const Result r = runWith({dir.str()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, dir.str() + ": is a folder, not a package\n");
}

TEST(Run, BrokenStructureListsNothing) {
    test::TempDir dir;
    std::string bytes = test::readFile(kWizard);
    const std::string file = dir.write("cut.sis", bytes.substr(0, 0x70)).string();
    const Result r = runWith({file});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, file +
                         ": record 0 at 0x00000066 (48 bytes at 0x00000066) runs past the end "
                         "of the file (112 bytes)\n");
}

TEST(Run, FailedCheckIsListedAndReported) {
    test::TempDir dir;
    std::string bytes = test::readFile(kWizard);
    bytes[bytes.size() - 1] ^= 0x01;  // last byte of the about text's stream
    const std::string file = dir.write("bad.sis", bytes).string();
    const Result r = runWith({file});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("check checksum: FAILED, stored 0x76B1, computed "), std::string::npos);
    EXPECT_NE(r.out.find("check record 4 fork 0: FAILED, zlib stream (116 bytes) is damaged: "
                         "incorrect data check\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("result: 2 checks failed\n"), std::string::npos);
    const std::string expectedErr = file + ": checksum: stored 0x76B1, computed 0x";
    EXPECT_EQ(r.err.rfind(expectedErr, 0), 0u) << r.err;
    EXPECT_NE(r.err.find("\n" + file +
                         ": record 4 fork 0: zlib stream (116 bytes) is damaged: "
                         "incorrect data check\n"),
              std::string::npos);
}

TEST(Run, ExtractionIntoAFileFails) {
    test::TempDir dir;
    const std::string blocker = dir.write("file", "x").string();
    const Result r = runWith({"-x", blocker, kWizard});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kWizardListing);  // listed, nothing extracted
    EXPECT_EQ(r.err.rfind(kWizard + ": " + blocker + ": cannot create folder: ", 0), 0u) << r.err;
}

// The program the wizard ships, started as a process: output, error stream and status.
Result runProcess(const std::vector<std::string>& args) {
    const test::ProgramRun run = test::runProgram(test::appProgram("sislist"), args);
    return {run.status, run.out, run.err};
}

TEST(Process, ListsAVerifiedPackage) {
    const Result r = runProcess({kWizard});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, kWizardListing);
}

TEST(Process, ExtractsAndReportsErrors) {
    test::TempDir dir;
    const Result ok = runProcess({"-x", (dir.path() / "x").string(), kWizard});
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(test::readFile(dir.path() / "x" / "!" / "system" / "apps" / "Demo" / "Demo.app"),
              test::readFile(std::string(TOVRIN_TEST_DATA_DIR) +
                             "/makesis/s60-wizard/system/apps/Demo/Demo.app"));

    const std::string empty = dir.write("empty.sis", "").string();
    const Result bad = runProcess({empty});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err, empty + ": file too short for a package header (0 bytes)\n");
}
}  // namespace
}  // namespace tovrin::sislist
