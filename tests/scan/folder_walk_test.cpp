#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "src/platform/local_text.h"
#include "src/platform/path.h"
#include "src/scan/folder_walk.h"
#include "src/scan/scan_project_folder.h"
#include "tests/scan/tree_helpers.h"
#include "tests/support/fake_window.h"
#include "tests/support/temp_dir.h"

namespace tovrin {
namespace {

namespace fs = std::filesystem;
using test::makeLink;
using test::native;
using test::TempDir;
using Entries = std::vector<std::string>;

// A temporary folder with a project folder "proj" in it; paths below it are written with "\".
class ProjectTree {
public:
    ProjectTree() { fs::create_directory(root()); }
    fs::path root() const { return dir_.path() / "proj"; }
    std::string path() const { return root().string() + kSeparator; }  // as the picker gives it
    fs::path file(const std::string& relative) const {
        return dir_.write("proj/" + native(relative), "x");
    }
    fs::path folder(const std::string& relative) const {
        fs::create_directories(root() / native(relative));
        return root() / native(relative);
    }

private:
    TempDir dir_;
};

Entries scan(const std::string& projectPath) {
    Entries entries;
    ScanFolder(projectPath, &entries);
    return entries;
}

// --- What an entry looks like ------------------------------------------------------------

struct EntryRow {
    const char* projectPath;  // below the temporary folder, "proj" with or without separator
    const char* file;         // below the project folder
    const char* entry;
};

class EntryFormTest : public ::testing::TestWithParam<EntryRow> {};

TEST_P(EntryFormTest, CutsTheFullPathByTheProjectPathsLength) {
    ProjectTree tree;
    tree.file(GetParam().file);
    const std::string projectPath =
        (tree.root().parent_path() / "").string() + native(GetParam().projectPath);
    EXPECT_EQ(scan(projectPath), Entries{native(GetParam().entry)});
}

INSTANTIATE_TEST_SUITE_P(Rows, EntryFormTest,
                         ::testing::Values(EntryRow{"proj\\", "a.app", "\\a.app"},
                                           EntryRow{"proj\\", "system\\apps\\demo\\demo.app",
                                                    "\\system\\apps\\demo\\demo.app"},
                                           EntryRow{"proj", "a.app", "\\\\a.app"},
                                           EntryRow{"proj", "system\\apps\\demo\\demo.app",
                                                    "\\\\system\\apps\\demo\\demo.app"}));

// --- Which files are listed --------------------------------------------------------------

TEST(FolderWalkTest, PassesOverEveryNameBeginningWithAFullStop) {
    ProjectTree tree;
    for (const char* f :
         {".hidden", ".git\\config", ".d\\inner\\x", "a.b.app", "d.x\\f", "sub\\.rc", "sub\\g"})
        tree.file(f);
    EXPECT_EQ(scan(tree.path()), native(Entries{"\\a.b.app", "\\d.x\\f", "\\sub\\g"}));
}

TEST(FolderWalkTest, ListsReadOnlyAndUnreadableFiles) {
    ProjectTree tree;
    fs::permissions(tree.file("ro.txt"),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(tree.file("sub\\locked.bin"), fs::perms::none);
    EXPECT_EQ(scan(tree.path()), native(Entries{"\\ro.txt", "\\sub\\locked.bin"}));
}

TEST(FolderWalkTest, FoldersAreNeverEntriesAndEmptyOnesAddNothing) {
    ProjectTree tree;
    tree.folder("empty");
    tree.folder("nest\\deeper\\deepest");
    tree.file("nest\\f");
    EXPECT_EQ(scan(tree.path()), native(Entries{"\\nest\\f"}));

    ProjectTree bare;
    EXPECT_EQ(scan(bare.path()), Entries{});
}

TEST(FolderWalkTest, TakesEachFoldersEntriesInByteOrderOfTheirNames) {
    ProjectTree tree;
    // Created out of order; a sub-folder's files stand where the sub-folder's name comes.
    for (const char* f : {"t", "b", "s\\d", "s\\c", "\xC3\xA9", "a", "Z", "_u"}) tree.file(f);
    Entries expected{"\\Z", "\\_u", "\\a", "\\b", "\\s\\c", "\\s\\d", "\\t", "\\\xC3\xA9"};
#ifndef _WIN32
    // "B" and "b" are one file on Windows' case-insensitive file systems.
    tree.file("B");
    expected.insert(expected.begin(), "\\B");
#endif
    EXPECT_EQ(scan(tree.path()), native(expected));
}

// Each folder's names in the order of their Unicode code points, whatever the code page: é
// (E9 in 1252) before € (80 in 1252), and ポリ, 数据, 表, which GBK orders ポリ, 表, 数据. In
// code page 932 the folder 表 ends in 5C, the byte of "\\", and must still be entered. Rows are
// written in UTF-8; a row the code page cannot hold is passed over.
struct LocalOrderRow {
    Entries files;
    Entries entries;
};

void PrintTo(const LocalOrderRow& r, std::ostream* os) { *os << r.files.front(); }

class LocalCharactersInTheWalk : public ::testing::TestWithParam<LocalOrderRow> {};

TEST_P(LocalCharactersInTheWalk, TakesEachFoldersNamesInCodePointOrder) {
    Entries files, expected;
    for (const std::string& f : GetParam().files) files.push_back(localFromUtf8(f));
    for (const std::string& e : GetParam().entries) expected.push_back(localFromUtf8(e));
    for (const std::string& f : files)
        if (holdsCharacter(f, '?')) GTEST_SKIP() << "this code page lacks a character of a name";
    ProjectTree tree;
    for (const std::string& f : files) tree.file(f);
    EXPECT_EQ(scan(tree.path()), native(expected));
}

INSTANTIATE_TEST_SUITE_P(Rows, LocalCharactersInTheWalk,
                         ::testing::Values(LocalOrderRow{{"\xE2\x82\xAC.txt", "\xC3\xA9.txt"},
                                                         {"\\\xC3\xA9.txt", "\\\xE2\x82\xAC.txt"}},
                                           LocalOrderRow{
                                               {"\xE8\xA1\xA8\\inside.txt",
                                                "\xE6\x95\xB0\xE6\x8D\xAE\\\xE8\xA1\xA8.txt",
                                                "\xE3\x83\x9D\xE3\x83\xAA.txt"},
                                               {"\\\xE3\x83\x9D\xE3\x83\xAA.txt",
                                                "\\\xE6\x95\xB0\xE6\x8D\xAE\\\xE8\xA1\xA8.txt",
                                                "\\\xE8\xA1\xA8\\inside.txt"}}));

#ifdef _WIN32
// The search reads names in UTF-16: a character the code page lacks comes as "?", never as a
// look-alike ("l" for "ł"), and such a folder, which no 8-bit path can name, is an entry itself.
TEST(FolderWalkTest, NamesTheCodePageLacksComeMarkedAndSuchFoldersAreNotEntered) {
    ProjectTree tree;
    const fs::path folder = tree.root() / L"\u0915";  // क: in no code page the tests run with
    fs::create_directories(folder);
    std::ofstream(folder / L"inside.txt") << "x";
    std::ofstream(tree.root() / L"\u0142.txt") << "x";
    tree.file("l.txt");
    EXPECT_EQ(scan(tree.path()), native(Entries{"\\?", "\\?.txt", "\\l.txt"}));
}
#endif

TEST(FolderWalkTest, WhatCannotBeListedAddsNothing) {
    ProjectTree tree;
    tree.file("a.app");
    const fs::path parent = tree.root().parent_path();
    EXPECT_EQ(scan((parent / "missing").string() + kSeparator), Entries{});
    EXPECT_EQ(scan((tree.root() / "a.app").string()), Entries{});  // a file, not a folder
    EXPECT_EQ(scan(""), Entries{});  // would name the root of the drive
}

TEST(FolderWalkTest, AnUnreadableSubFolderAddsNothingAndTheWalkGoesOn) {
#ifdef _WIN32
    GTEST_SKIP() << "folder access is not set through POSIX modes on Windows";
#else
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root, which reads every folder whatever its mode";
    ProjectTree tree;
    for (const char* f : {"a\\f", "locked\\g", "locked\\inner\\h", "z\\i"}) tree.file(f);
    fs::permissions(tree.root() / "locked", fs::perms::none);
    EXPECT_EQ(scan(tree.path()), native(Entries{"\\a\\f", "\\z\\i"}));

    fs::permissions(tree.root(), fs::perms::none);
    EXPECT_EQ(scan(tree.path()), Entries{});
    fs::permissions(tree.root(), fs::perms::owner_all);
#endif
}

// --- Links -------------------------------------------------------------------------------

TEST(FolderWalkTest, ALinkBackToAFolderOnTheWayDownIsNotEntered) {
    ProjectTree tree;
    tree.file("a\\f");
    if (!makeLink("..", tree.root() / "a" / "up", true) ||
        !makeLink(".", tree.root() / "a" / "self", true) ||
        !makeLink(tree.root().string(), tree.root() / "top", true))
        GTEST_SKIP() << "this host refuses to make links";
    EXPECT_EQ(scan(tree.path()), native(Entries{"\\a\\f"}));
}

TEST(FolderWalkTest, LinksToOtherFoldersAreFollowed) {
    ProjectTree tree;
    tree.file("a\\f");
    tree.file("b\\g");
    TempDir outside;
    outside.write("o", "x");
    // a and b name each other: each is entered once below the other, not again below itself.
    if (!makeLink(".." + std::string(1, kSeparator) + "b", tree.root() / "a" / "tob", true) ||
        !makeLink(".." + std::string(1, kSeparator) + "a", tree.root() / "b" / "toa", true) ||
        !makeLink(outside.str(), tree.root() / "out", true))
        GTEST_SKIP() << "this host refuses to make links";
    EXPECT_EQ(scan(tree.path()),
              native(Entries{"\\a\\f", "\\a\\tob\\g", "\\b\\g", "\\b\\toa\\f", "\\out\\o"}));
}

TEST(FolderWalkTest, LinksToFilesAndDanglingLinksAreListedAsFiles) {
    ProjectTree tree;
    tree.file("a\\f");
    if (!makeLink("a" + std::string(1, kSeparator) + "f", tree.root() / "tofile", false) ||
        !makeLink("nowhere", tree.root() / "dangling", false))
        GTEST_SKIP() << "this host refuses to make links";
    EXPECT_EQ(scan(tree.path()), native(Entries{"\\a\\f", "\\dangling", "\\tofile"}));
}

// --- The file list -----------------------------------------------------------------------

// Counts the batches handed to the list.
class CountingWindow : public test::FakeWindow {
public:
    void listAdd(const std::vector<std::string>& entries) override {
        ++batches;
        FakeWindow::listAdd(entries);
    }
    int batches = 0;
};

TEST(ScanProjectFolderTest, RefillsTheListInOneBatchOnEveryScan) {
    ProjectTree tree;
    for (const char* f : {"b", "a\\c"}) tree.file(f);
    CountingWindow window;
    window.listAdd({"stale"});
    window.setText(Control::txtProjPath, tree.path());

    ScanProjectFolder(window, tree.path());
    ScanProjectFolder(window, tree.path());

    EXPECT_EQ(window.listEntries(), native(Entries{"\\a\\c", "\\b"}));
    EXPECT_EQ(window.batches, 3);
    EXPECT_EQ(window.text(Control::txtProjPath), tree.path());
    EXPECT_TRUE(window.messages.empty());
}

TEST(ScanProjectFolderTest, AnEmptyOrMissingProjectFolderOnlyEmptiesTheList) {
    ProjectTree tree;
    for (const std::string& projectPath :
         {std::string(), (tree.root() / "missing").string() + kSeparator}) {
        test::FakeWindow window;
        window.listAdd({"stale"});
        window.setText(Control::txtProjPath, projectPath);
        ScanProjectFolder(window, projectPath);
        EXPECT_EQ(window.listCount(), 0) << projectPath;
        EXPECT_EQ(window.text(Control::txtProjPath), projectPath);
        EXPECT_TRUE(window.messages.empty());
    }
}

}  // namespace
}  // namespace tovrin
