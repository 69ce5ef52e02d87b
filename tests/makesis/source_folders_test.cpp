// Sources named from a drive's root or with a drive letter, found below the folders given with
// --root and --drive (and -d for rooted names); the package keeps the name as written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/makesis/library_run.h"
#include "tests/support/temp_dir.h"

namespace {

using tovrin::test::TempDir;

struct FolderCase {
    const char* name;
    std::vector<std::string> args;  // before the script's name, unless the last is --root
    std::string line;               // the script's file or component line
    const char* output;             // a line the output must hold
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }

std::string utf16(const std::string& ascii) {
    std::string out;
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
}

class SourceFolders : public ::testing::TestWithParam<FolderCase> {};

TEST_P(SourceFolders, FindOrRefuseTheSource) {
    const FolderCase& c = GetParam();
    TempDir dir;
    dir.write("tree/epoc32/release/armi/urel/Demo.app", "app");
    dir.write("tree/pkgs/Inner.sis", "sis");
    dir.write("cdrive/Symbian/Demo.app", "c");
    dir.write("search/epoc32/Only.app", "d");
    // NC keeps the source name as written in the package.
    dir.write("t.pkg", "#{\"Demo\"},(0x01000000),1,0,0,NC\r\n" + c.line + "\r\n");
    std::vector<std::string> args = c.args;
    if (args.empty() || args.back() != "--root") args.push_back("t.pkg");
    const tovrin::test::LibraryRun run = tovrin::test::runInFolder(dir.path(), args);
    EXPECT_NE(run.out.find(c.output), std::string::npos) << run.out;
    const bool built = std::string(c.output).rfind("Created", 0) == 0;
    EXPECT_EQ(run.status, built ? 0 : 1) << run.out;
    if (built) {
        const std::string written = c.line.substr(c.line.find('"') + 1);
        const std::string source = written.substr(0, written.find('"'));
        EXPECT_NE(tovrin::test::readFile(dir.path() / "t.sis").find(utf16(source)),
                  std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Options, SourceFolders,
    ::testing::Values(
        FolderCase{"RootedBelowRoot",
                   {"--root", "tree"},
                   "\"\\epoc32\\release\\armi\\urel\\Demo.app\"-\"!:\\system\\apps\\Demo.app\"",
                   "Created t.sis"},
        FolderCase{"RootedComponentBelowRoot",
                   {"--root", "tree"},
                   "@\"\\pkgs\\Inner.sis\",(0x01000002)",
                   "Created t.sis"},
        FolderCase{"RootedWithoutRoot",
                   {},
                   "\"\\epoc32\\release\\armi\\urel\\Demo.app\"-\"!:\\a\"",
                   "t.pkg(2) : error: file not found: \\epoc32\\release\\armi\\urel\\Demo.app"},
        FolderCase{"RootedAlsoInSearchFolder",
                   {"--root", "tree", "-dsearch"},
                   "\"\\epoc32\\Only.app\"-\"!:\\a\"",
                   "Created t.sis"},
        FolderCase{"RootedInSearchFolderWithoutRoot",
                   {"-d", "search"},
                   "\"\\epoc32\\Only.app\"-\"!:\\a\"",
                   "Created t.sis"},
        FolderCase{"UpperLetterBelowItsFolder",
                   {"--drive", "C=cdrive"},
                   "\"C:\\Symbian\\Demo.app\"-\"!:\\a\"",
                   "Created t.sis"},
        FolderCase{"LetterOfEitherCase",
                   {"--drive", "c=cdrive"},
                   "\"C:\\Symbian\\Demo.app\"-\"!:\\a\"",
                   "Created t.sis"},
        FolderCase{"LowerLetterInScript",
                   {"--drive", "C=cdrive", "--drive", "D=tree"},
                   "\"c:\\Symbian\\Demo.app\"-\"!:\\a\"",
                   "Created t.sis"},
        FolderCase{"OtherLetterNotMapped",
                   {"--drive", "D=cdrive", "-dcdrive"},
                   "\"C:\\Symbian\\Demo.app\"-\"!:\\a\"",
                   "t.pkg(2) : error: file not found: C:\\Symbian\\Demo.app"},
        FolderCase{"RootDoesNotServeLetters",
                   {"--root", "cdrive"},
                   "\"C:\\Symbian\\Demo.app\"-\"!:\\a\"",
                   "t.pkg(2) : error: file not found: C:\\Symbian\\Demo.app"},
        FolderCase{"RootWithoutFolder", {"t.pkg", "--root"}, "", "error: --root needs a folder"},
        FolderCase{"DriveWithoutLetter",
                   {"--drive", "=cdrive"},
                   "",
                   "error: --drive needs a drive letter, = and a folder: =cdrive"},
        FolderCase{"DriveWithoutFolder",
                   {"--drive", "C="},
                   "",
                   "error: --drive needs a drive letter, = and a folder: C="},
        FolderCase{"SameDriveTwice",
                   {"--drive", "C=cdrive", "--drive", "c=tree"},
                   "",
                   "error: --drive names the drive c twice"}),
    [](const ::testing::TestParamInfo<FolderCase>& p) { return std::string(p.param.name); });

}  // namespace
