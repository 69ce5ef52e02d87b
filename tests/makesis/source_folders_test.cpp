// Sources named from a drive's root or with a drive letter, found below the folders given with
// --root and --drive (and -d for rooted names); names in another letter case, found when only
// one file answers to them. The package keeps the name as written.
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
    const char* output;             // what the output must hold; "Created" when built
    std::string stored = {};        // the source name the package shows; the name as written
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }

std::string utf16(const std::string& ascii) {
    std::string out;
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
}

void build(const FolderCase& c) {
    TempDir dir;
    dir.write("tree/epoc32/release/armi/urel/Demo.app", "app");
    dir.write("tree/pkgs/Inner.sis", "sis");
    dir.write("cdrive/Symbian/Demo.app", "c");
    dir.write("search/epoc32/Only.app", "d");
    dir.write("search/Exact.txt", "e");
    dir.write("Projects/Opl1.55/rel/Thing.app", "t");
    dir.write("\xc3\x84pfel/\xc3\x96l.txt", "u");  // "Äpfel/Öl.txt"
#ifndef _WIN32
    dir.write("exact.txt", "e");
    dir.write("Two/a.txt", "1");
    dir.write("two/A.txt", "2");
#endif
    // NC keeps the source name in the package.
    dir.write("t.pkg", "#{\"Demo\"},(0x01000000),1,0,0,NC\r\n" + c.line + "\r\n");
    std::vector<std::string> args = c.args;
    if (args.empty() || args.back() != "--root") args.push_back("t.pkg");
    const tovrin::test::LibraryRun run = tovrin::test::runInFolder(dir.path(), args);
    EXPECT_NE(run.out.find(c.output), std::string::npos) << run.out;
    const bool built = std::string(c.output) == "Created";
    EXPECT_EQ(run.status, built ? 0 : 1) << run.out;
    if (built) {
        std::string stored = c.stored;
        if (stored.empty()) {
            stored = c.line.substr(c.line.find('"') + 1);
            stored = stored.substr(0, stored.find('"'));
        }
        EXPECT_NE(tovrin::test::readFile(dir.path() / "t.sis").find(utf16(stored)),
                  std::string::npos)
            << stored;
    }
}

class SourceFolders : public ::testing::TestWithParam<FolderCase> {};
class LetterCase : public ::testing::TestWithParam<FolderCase> {};

TEST_P(SourceFolders, FindOrRefuseTheSource) { build(GetParam()); }
TEST_P(LetterCase, FindOneFileOrRefuse) { build(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Options, SourceFolders,
    ::testing::Values(
        FolderCase{"RootedBelowRoot",
                   {"--root", "tree"},
                   "\"\\epoc32\\release\\armi\\urel\\Demo.app\"-\"!:\\system\\apps\\Demo.app\"",
                   "Created"},
        FolderCase{"RootedComponentBelowRoot",
                   {"--root", "tree"},
                   "@\"\\pkgs\\Inner.sis\",(0x01000002)",
                   "Created"},
        FolderCase{"RootedWithoutRoot",
                   {},
                   "\"\\epoc32\\release\\armi\\urel\\Demo.app\"-\"!:\\a\"",
                   "t.pkg(2) : error: file not found: \\epoc32\\release\\armi\\urel\\Demo.app"},
        FolderCase{"RootedAlsoInSearchFolder",
                   {"--root", "tree", "-dsearch"},
                   "\"\\epoc32\\Only.app\"-\"!:\\a\"",
                   "Created"},
        FolderCase{"RootedInSearchFolderWithoutRoot",
                   {"-d", "search"},
                   "\"\\epoc32\\Only.app\"-\"!:\\a\"",
                   "Created"},
        FolderCase{"UpperLetterBelowItsFolder",
                   {"--drive", "C=cdrive"},
                   "\"C:\\Symbian\\Demo.app\"-\"!:\\a\"",
                   "Created"},
        FolderCase{"LetterOfEitherCase",
                   {"--drive", "c=cdrive"},
                   "\"C:\\Symbian\\Demo.app\"-\"!:\\a\"",
                   "Created"},
        FolderCase{"LowerLetterInScript",
                   {"--drive", "C=cdrive", "--drive", "D=tree"},
                   "\"c:\\Symbian\\Demo.app\"-\"!:\\a\"",
                   "Created"},
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

INSTANTIATE_TEST_SUITE_P(
    Names, LetterCase,
    ::testing::Values(
        FolderCase{
            "FolderInOtherCase", {}, "\"Projects\\opl1.55\\rel\\Thing.app\"-\"!:\\a\"", "Created"},
        FolderCase{"EveryNameInOtherCase",
                   {},
                   "\"PROJECTS/opl1.55\\REL\\thing.APP\"-\"!:\\a\"",
                   "Created"},
        FolderCase{"BelowRoot",
                   {"--root", "tree"},
                   "\"\\EPOC32\\Release\\ARMI\\urel\\demo.app\"-\"!:\\a\"",
                   "Created"},
        FolderCase{"BelowDriveFolder",
                   {"--drive", "c=cdrive"},
                   "\"C:\\SYMBIAN\\demo.APP\"-\"!:\\a\"",
                   "Created"},
        FolderCase{"InSearchFolder",
                   {"-dsearch/"},
                   "\"EPOC32\\only.app\"-\"!:\\a\"",
                   "Created",
                   "search/EPOC32\\only.app"},
        FolderCase{"NoneAnswers",
                   {},
                   "\"Projects\\Opl1.55\\rel\\Other.app\"-\"!:\\a\"",
                   "t.pkg(2) : error: file not found: Projects\\Opl1.55\\rel\\Other.app"}
#ifndef _WIN32
        ,
        // Where the file system ignores case, the current folder's file is the exact one.
        FolderCase{"ExactNameFirstEvenInALaterFolder",
                   {"-dsearch/"},
                   "\"Exact.txt\"-\"!:\\a\"",
                   "Created",
                   "search/Exact.txt"},
        FolderCase{"BeyondAscii",
                   {},
                   "\"\xc3\xa4PFEL\\\xc3\xb6L.TXT\"-\"!:\\a\"",  // "äPFEL\\öL.TXT"
                   "Created",
                   "PFEL"},
        FolderCase{"TwoAnswer",
                   {},
                   "\"TWO\\a.TXT\"-\"!:\\a\"",
                   "t.pkg(2) : error: TWO\\a.TXT names more than one file when letter case is "
                   "ignored\n  Two/a.txt\n  two/A.txt\n"}
#endif
        ),
    [](const ::testing::TestParamInfo<FolderCase>& p) { return std::string(p.param.name); });

}  // namespace
