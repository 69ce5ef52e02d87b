// The command line, and what a failed build leaves behind (nothing new, an earlier package
// untouched).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/makesis/library_run.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using tovrin::test::readFile;
using tovrin::test::runInFolder;
using tovrin::test::TempDir;

const std::string kScript = "#{\"Demo\"},(0x01000000),1,0,0\r\n\"a.txt\"-\"!:\\a.txt\"\r\n";

std::set<std::string> listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        names.insert(fs::relative(entry.path(), folder).generic_string());
    }
    return names;
}

struct CommandCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* output;   // a line the output must hold
    const char* package;  // the package the run must write, "" for none
};

void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }

class CommandLineTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandLineTest, GivesStatusOutputAndPackage) {
    const CommandCase& c = GetParam();
    TempDir dir;
    dir.write("t.pkg", kScript);
    dir.write("a.txt", "text");
    dir.write("sub/s.pkg", "#{\"Sub\"},(1),1,0,0\r\n\"b.txt\"-\"!:\\b.txt\"\r\n");
    dir.write("src/b.txt", "b");
    dir.write("out/.keep", "");
    const auto before = listing(dir.path());
    const tovrin::test::LibraryRun run = runInFolder(dir.path(), c.args);
    EXPECT_EQ(run.status, c.status) << run.out;
    EXPECT_NE(run.out.find(c.output), std::string::npos) << run.out;
    auto after = listing(dir.path());
    if (*c.package) {
        EXPECT_EQ(after.erase(c.package), 1u) << run.out;
    }
    EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTest,
    ::testing::Values(
        CommandCase{"Help",
                    {"-h"},
                    0,
                    "Usage: makesis [-h] [-v] [-s] [-d directory] [-p password] [--time T] "
                    "pkgfile [sisfile]",
                    ""},
        CommandCase{"HelpWinsOverFiles", {"t.pkg", "-H"}, 0, "Script format", ""},
        CommandCase{"LongHelp", {"--help"}, 0, "Script format", ""},
        CommandCase{"Version", {"--version", "t.pkg"}, 0, "makesis " TOVRIN_VERSION "\n", ""},
        CommandCase{"HelpWinsOverVersion", {"--version", "-h"}, 0, "Script format", ""},
        CommandCase{"DefaultOutputBesideScript", {"t.pkg"}, 0, "Created t.sis", "t.sis"},
        CommandCase{"FormatEr5", {"--format=ER5", "t.pkg"}, 0, "Created t.sis", "t.sis"},
        CommandCase{"UnknownFormat",
                    {"--format", "er7", "t.pkg"},
                    1,
                    "error: unknown package format 'er7': --format takes er5, er6 or sis9",
                    ""},
        CommandCase{"FormatWithoutValue", {"t.pkg", "--format"}, 1, "error: --format needs", ""},
        CommandCase{
            "OutputGiven", {"t.pkg", "out/demo.SIS"}, 0, "Created out/demo.SIS", "out/demo.SIS"},
        CommandCase{"ShortOutputName", {"t.pkg", "o.sis"}, 0, "Created o.sis", "o.sis"},
        CommandCase{"ScriptInSubfolderWritesBesideIt",
                    {"-dsrc", "sub/s.pkg"},
                    0,
                    "Created sub/s.sis",
                    "sub/s.sis"},
        CommandCase{"SearchFolderAsNextArgument",
                    {"-d", "src", "sub/s.pkg"},
                    0,
                    "Created sub/s.sis",
                    "sub/s.sis"},
        CommandCase{"SourcesNotBesideTheScript",
                    {"sub/s.pkg"},
                    1,
                    "sub/s.pkg(2) : error: file not found: b.txt",
                    ""},
        CommandCase{"Verbose", {"-v", "t.pkg"}, 0, "t.pkg(2) : processing file", "t.sis"},
        CommandCase{"PasswordAccepted", {"-p", "secret", "t.pkg"}, 0, "Created t.sis", "t.sis"},
        CommandCase{"PasswordMissing", {"t.pkg", "-p"}, 1, "error: -p needs a password", ""},
        CommandCase{"SearchFolderMissing", {"t.pkg", "-d"}, 1, "error: -d needs a folder", ""},
        CommandCase{"UnknownFlag", {"-x", "t.pkg"}, 1, "error: unknown flag -x", ""},
        CommandCase{"NoArguments", {}, 1, "error: no source file specified", ""},
        CommandCase{"TooManyArguments",
                    {"t.pkg", "a.sis", "b.sis"},
                    1,
                    "error: too many arguments: b.sis",
                    ""},
        CommandCase{"ScriptNotPkg", {"a.txt"}, 1, "error: invalid source file a.txt", ""},
        CommandCase{
            "OutputNotSis", {"t.pkg", "t.txt"}, 1, "error: invalid destination file t.txt", ""},
        CommandCase{"MissingScript", {"none.pkg"}, 1, "error: cannot open none.pkg", ""},
        CommandCase{"OutputFolderMissing",
                    {"t.pkg", "nowhere/t.sis"},
                    1,
                    "error: cannot create nowhere/t.sis: its folder is missing or not writable",
                    ""}),
    [](const ::testing::TestParamInfo<CommandCase>& p) { return std::string(p.param.name); });

TEST(CommandLine, AbsoluteScriptPathIsAFileNotAFlag) {
    TempDir dir, elsewhere;
    dir.write("t.pkg", "#{\"Demo\"},(0x01000000),1,0,0\r\n\"" + (dir.path() / "a.txt").string() +
                           "\"-\"!:\\a.txt\"\r\n");
    dir.write("a.txt", "text");
    const std::string script = (dir.path() / "t.pkg").string();
    const tovrin::test::ProgramRun result = tovrin::test::runProgram(
        tovrin::test::appProgram("bin/makesis.exe"), {script}, elsewhere.path());
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_TRUE(fs::exists(dir.path() / "t.sis"));
    EXPECT_EQ(result.err, "");
}

TEST(CommandLine, ProcessExitStatusIsOneOnError) {
    TempDir dir;
    const tovrin::test::ProgramRun result = tovrin::test::runProgram(
        tovrin::test::appProgram("bin/makesis.exe"), {"missing.pkg"}, dir.path());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "");
}

// A sparse file: 4 GiB long, nothing written, so the test costs no disk.
TEST(FailedBuild, FileOfFourGibibytesIsRefusedAtItsLineBeforeAnyCompressing) {
    TempDir dir;
    dir.write("t.pkg", kScript + "\"huge.bin\"-\"!:\\huge.bin\"\r\n");
    dir.write("a.txt", "text");
    std::error_code ec;
    fs::resize_file(dir.write("huge.bin", ""), uint64_t{1} << 32, ec);
    if (ec) GTEST_SKIP() << "no room for a sparse 4 GiB file here: " << ec.message();
    const tovrin::test::ProgramRun result = tovrin::test::runProgram(
        tovrin::test::appProgram("bin/makesis.exe"), {"t.pkg"}, dir.path());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Processing t.pkg...\nt.pkg(3) : error: huge.bin is larger than 4 GiB\n");
    EXPECT_FALSE(fs::exists(dir.path() / "t.sis"));
}

TEST(FailedBuild, ParseErrorLeavesEarlierPackageUntouched) {
    TempDir dir;
    dir.write("t.pkg", kScript + "\"absent.txt\"-\"!:\\b\"\r\n");
    dir.write("a.txt", "text");
    dir.write("t.sis", "earlier package");
    const auto before = listing(dir.path());
    EXPECT_EQ(runInFolder(dir.path(), {"t.pkg"}).status, 1);
    EXPECT_EQ(readFile(dir.path() / "t.sis"), "earlier package");
    EXPECT_EQ(listing(dir.path()), before);
}

#ifdef __linux__
// A source that passes the parse but fails while its data is read: the build stops after the
// package file was opened, so this checks the temporary and scratch files are removed too.
TEST(FailedBuild, ReadErrorLeavesNoPartialFile) {
    TempDir dir;
    dir.write("a.txt", std::string(300000, 'a'));
    fs::create_symlink("/proc/self/mem", dir.path() / "unreadable.bin");
    dir.write("t.pkg", kScript + "\"unreadable.bin\"-\"!:\\b\"\r\n");
    dir.write("t.sis", "earlier package");
    const auto before = listing(dir.path());
    const tovrin::test::LibraryRun run = runInFolder(dir.path(), {"t.pkg"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errorLines(),
              std::vector<std::string>{"t.pkg(3) : error: cannot read unreadable.bin"});
    EXPECT_EQ(readFile(dir.path() / "t.sis"), "earlier package");
    EXPECT_EQ(listing(dir.path()), before);
}
#endif

TEST(SuccessfulBuild, ReplacesAnEarlierPackage) {
    TempDir dir;
    dir.write("t.pkg", kScript);
    dir.write("a.txt", "text");
    dir.write("t.sis", "earlier package");
    EXPECT_EQ(runInFolder(dir.path(), {"t.pkg"}).status, 0);
    EXPECT_EQ(readFile(dir.path() / "t.sis").substr(0, 4), std::string("\x00\x00\x00\x01", 4));
}

}  // namespace
