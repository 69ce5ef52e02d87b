// tovrin-build itself: the built program delivers the wizard's reference package on every host
// and keeps an earlier package when the compile fails; the library refuses what the window
// refuses, with the window's messages, and a wrong command line with a usage error.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "src/platform/local_text.h"
#include "src/platform/path.h"
#include "tests/support/build_fixture.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tools/tovrin-build/tovrin_build.h"

namespace fs = std::filesystem;
using namespace tovrin;
using test::readFile;

namespace {

const std::string kSep(1, kSeparator);

// A project, a destination and a temporary folder of the command's own, below one root.
struct Folders {
    test::TempDir root;
    std::string project = root.str() + kSep + "proj" + kSep;
    std::string destination = root.str() + kSep + "out" + kSep;
    std::string temp = root.str() + kSep + "tmp";
    Folders() {
        fs::create_directories(project);
        fs::create_directories(destination);
        fs::create_directories(temp);
    }
    // The program's temporary folder is ours, so that what it leaves there can be seen.
    test::ProgramRun build(std::vector<std::string> args) const {
        args.push_back(project);
        return test::runProgram(test::appProgram("tovrin-build"), args, {},
                                {"TMPDIR=" + temp, "TMP=" + temp, "TEMP=" + temp});
    }
};

struct Reference {
    const char* label;
    std::string name;       // UTF-8
    const char* reference;  // tests/data/wizard/<reference>.sis
};

void PrintTo(const Reference& c, std::ostream* os) { *os << c.label; }

class ReferencePackage : public ::testing::TestWithParam<Reference> {};

// The project of the wizard's reference packages, built by the command: the same bytes on
// every host, since the window's own build gives them there too.
TEST_P(ReferencePackage, IsWhatTheCommandDelivers) {
    const Reference& c = GetParam();
    Folders f;
    const auto files = test::referenceProjectFiles();
    for (const auto& [path, bytes] : files) test::writeFile(f.project + path, bytes);
    const std::string package = f.destination + localFromUtf8(c.name) + ".sis";
    test::writeFile(package, "earlier package");

    const test::ProgramRun run =
        f.build({"-n", localFromUtf8(c.name), "-l", "fr", "-d", f.destination});

    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(readFile(package) == readFile(fs::path(TOVRIN_TEST_DATA_DIR) / "wizard" /
                                              (std::string(c.reference) + ".sis")))
        << "the package differs from the reference";
    EXPECT_EQ(run.out, package + ": " + std::to_string(fs::file_size(fs::path(package))) +
                           " bytes, 6 files\n");
    EXPECT_EQ(run.err, "");  // no progress line: standard error is no terminal
    EXPECT_EQ(test::folderNames(f.destination),
              std::vector<std::string>{localFromUtf8(c.name) + ".sis"});
    EXPECT_TRUE(fs::is_empty(f.temp));
}

INSTANTIATE_TEST_SUITE_P(Names, ReferencePackage,
                         ::testing::Values(Reference{"Plain", "Demo", "demo"},
                                           Reference{"Accent", "D\xC3\xA9mo", "demo-accent"}),
                         [](const ::testing::TestParamInfo<Reference>& p) {
                             return std::string(p.param.label);
                         });

TEST(Command, FailedCompileKeepsTheEarlierPackageAndLeavesNothingBehind) {
    Folders f;
    test::writeFile(f.project + "a.txt", "a");
    test::writeFile(f.destination + "Demo.sis", "earlier package");

    // Letters pass the window's UID checks; the compiler refuses them.
    const test::ProgramRun run =
        f.build({"-n", "Demo", "-u", "GHIJKLMN", "-q", "-d", f.destination});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("temp.pkg(1) : error: "), std::string::npos) << run.err;
    EXPECT_EQ(readFile(f.destination + "Demo.sis"), "earlier package");
    EXPECT_EQ(test::folderNames(f.destination), std::vector<std::string>{"Demo.sis"});
    EXPECT_TRUE(fs::is_empty(f.temp));
}

TEST(Command, InterruptStopsTheBuildAndKeepsTheEarlierPackage) {
    Folders f;
    for (const char* file : {"a.txt", "b.txt", "c.txt", "d.txt"})
        test::writeFile(f.project + file, file);
    test::writeFile(f.destination + "Demo.sis", "earlier package");
    int asked = 0;
    std::ostringstream out, err;
    // The first question comes before the compile, then one after each file: stop at the second
    // file.
    const auto interrupted = [&asked] { return ++asked >= 3; };

    const int status = build::run({"-n", "Demo", "-d", f.destination, f.project}, TOVRIN_APP_DIR,
                                  {out, err, false, interrupted});

    EXPECT_EQ(status, build::kInterrupted);
    EXPECT_EQ(err.str(), "tovrin-build: interrupted\n");
    EXPECT_EQ(readFile(f.destination + "Demo.sis"), "earlier package");
    EXPECT_EQ(test::folderNames(f.destination), std::vector<std::string>{"Demo.sis"});
}

// "." names the folder the command runs in, as the folder dialog would name it: no "/./" in a
// file line.
TEST(Command, RelativeFoldersAreResolved) {
    Folders f;
    test::writeFile(f.project + "a.txt", "a");
    const test::ProgramRun run =
        test::runProgram(test::appProgram("tovrin-build"), {"--pkg", "-d", "..", "."}, f.project);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("a.txt\"-\"!:\\a.txt\""), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(kSep + "." + kSep), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find(kSep + ".." + kSep), std::string::npos) << run.out;
}

struct Refusal {
    const char* what;
    // "<proj>" stands for the project folder; "<dest>" at the start of an argument or anywhere
    // in the message for the destination.
    std::vector<std::string> args;
    int status;
    std::string firstLine;  // of standard error
};

class Refusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(Refusals, ExitWithTheirMessage) {
    const Refusal& c = GetParam();
    Folders f;
    test::writeFile(f.project + "a.txt", "a");
    std::vector<std::string> args;
    for (std::string arg : c.args) {
        if (arg.rfind("<dest>", 0) == 0) arg.replace(0, 6, f.destination);
        args.push_back(arg == "<proj>" ? f.project : arg);
    }
    std::ostringstream out, err;

    const int status = build::run(args, TOVRIN_APP_DIR, {out, err, false});

    EXPECT_EQ(status, c.status) << c.what;
    std::string firstLine = c.firstLine;
    if (firstLine.find("<dest>") != std::string::npos)
        firstLine.replace(firstLine.find("<dest>"), 6, f.destination);
    EXPECT_EQ(err.str().substr(0, err.str().find('\n')), firstLine) << c.what;
    EXPECT_EQ(out.str(), "") << c.what;
    EXPECT_TRUE(fs::is_empty(f.destination)) << c.what;
    EXPECT_EQ(test::folderNames(f.project), std::vector<std::string>{"a.txt"}) << c.what;
}

const std::string kNameMessage = "tovrin-build: The name must not contain \\ / : * ? \" < > |";

INSTANTIATE_TEST_SUITE_P(
    Table, Refusals,
    ::testing::Values(
        Refusal{"no folders at all", {""}, 1, "tovrin-build: Insert a Path for the destination"},
        Refusal{"no project folder",
                {"-d", "<dest>", ""},
                1,
                "tovrin-build: Insert a Path for the source"},
        Refusal{"control character in the destination",
                {"-d", "<dest>tab\there", "<proj>"},
                1,
                "tovrin-build: The folder <dest>tab?here" + kSep +
                    " cannot be used: its name holds a quotation mark or a control character."},
        Refusal{
            "empty name", {"-d", "<dest>", "-n", "", "<proj>"}, 1, "tovrin-build: Insert a name"},
        Refusal{"name before UID",
                {"-d", "<dest>", "-n", "", "-u", "", "<proj>"},
                1,
                "tovrin-build: Insert a name"},
        Refusal{"separator in the name", {"-d", "<dest>", "--name=a/b", "<proj>"}, 1, kNameMessage},
        Refusal{"wildcard in the name", {"-d", "<dest>", "-n*", "<proj>"}, 1, kNameMessage},
        Refusal{"empty UID", {"-d", "<dest>", "-u", "", "<proj>"}, 1, "tovrin-build: Insert a UID"},
        Refusal{"short UID",
                {"-d", "<dest>", "-u", "0100000", "<proj>"},
                1,
                "tovrin-build: UID must be 8 char lenght"},
        Refusal{"unreadable UID package",
                {"-d", "<dest>", "--uid-from", "no-such.sis", "<proj>"},
                1,
                "tovrin-build: Cannot read no-such.sis"},
        Refusal{
            "no project folder given", {"-n", "Demo"}, 2, "tovrin-build: no project folder given"},
        Refusal{
            "two project folders", {"<proj>", "x"}, 2, "tovrin-build: one project folder only: x"},
        Refusal{"unknown option", {"--bogus", "<proj>"}, 2, "tovrin-build: unknown option --bogus"},
        Refusal{"value missing", {"<proj>", "-d"}, 2, "tovrin-build: --dest needs a value"},
        Refusal{"value where none is taken",
                {"--pkg=yes", "<proj>"},
                2,
                "tovrin-build: --pkg takes no value"},
        Refusal{"version of two fields",
                {"-V", "1.0", "<proj>"},
                2,
                "tovrin-build: --app-version takes M.N.B, one character each"},
        Refusal{"version field of two characters",
                {"-V", "1.10.0", "<proj>"},
                2,
                "tovrin-build: --app-version takes M.N.B, one character each"},
        Refusal{"name longer than its box",
                {"-n", std::string(25, 'n'), "<proj>"},
                2,
                "tovrin-build: --name takes at most 24 characters"},
        Refusal{"UID longer than its box",
                {"-u", "010000000", "<proj>"},
                2,
                "tovrin-build: --uid takes 8 hexadecimal digits"},
        Refusal{"unknown language",
                {"-l", "Klingon", "<proj>"},
                2,
                "tovrin-build: unknown language Klingon; the languages are:"}),
    [](const ::testing::TestParamInfo<Refusal>& p) { return std::to_string(p.index); });

}  // namespace
