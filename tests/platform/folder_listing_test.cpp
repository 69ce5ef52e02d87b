#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "src/platform/folder_listing.h"
#include "src/platform/path.h"
#include "tests/scan/tree_helpers.h"
#include "tests/support/temp_dir.h"

namespace tovrin {
namespace {

namespace fs = std::filesystem;
using test::makeLink;
using test::TempDir;

std::string folderPath(const TempDir& dir, const std::string& name) {
    return dir.str() + kSeparator + name + kSeparator;
}

TEST(FolderListingTest, TellsFoldersAndLinksToFoldersFromFiles) {
    TempDir dir;
    dir.write("f", "x");
    fs::create_directory(dir.path() / "d");
    if (!makeLink("d", dir.path() / "dl", true) || !makeLink("f", dir.path() / "fl", false) ||
        !makeLink("missing", dir.path() / "dangling", false))
        GTEST_SKIP() << "this host refuses to make links";

    std::vector<FolderEntry> entries;
    FolderId id;
    ASSERT_TRUE(listFolder(dir.str() + kSeparator, &entries, &id));
    EXPECT_TRUE(id.known);

    std::map<std::string, bool> isFolder;
    for (const FolderEntry& e : entries) isFolder[e.name.substr(0, e.name.find('\0'))] = e.isFolder;
    isFolder.erase(".");
    isFolder.erase("..");
    const std::map<std::string, bool> expected = {
        {"d", true}, {"dl", true}, {"f", false}, {"fl", false}, {"dangling", false}};
    EXPECT_EQ(isFolder, expected);
}

TEST(FolderListingTest, ALinkLeadsToTheSameFolderAsItsTarget) {
    TempDir dir;
    fs::create_directories(dir.path() / "d" / "e");
    if (!makeLink("d", dir.path() / "dl", true)) GTEST_SKIP() << "this host refuses to make links";

    auto idOf = [&](const std::string& name) {
        std::vector<FolderEntry> entries;
        FolderId id;
        EXPECT_TRUE(listFolder(folderPath(dir, name), &entries, &id)) << name;
        return id;
    };
    EXPECT_TRUE(sameFolder(idOf("d"), idOf("dl")));
    EXPECT_FALSE(sameFolder(idOf("d"), idOf(std::string("d") + kSeparator + "e")));
}

TEST(FolderListingTest, AFolderOfUnknownIdentityMatchesNothing) {
    FolderId unknown;
    FolderId known;
    known.known = true;
    EXPECT_FALSE(sameFolder(unknown, unknown));
    EXPECT_FALSE(sameFolder(unknown, known));
    EXPECT_TRUE(sameFolder(known, known));
}

TEST(FolderListingTest, WhatIsNoFolderCannotBeListedAndAddsNothing) {
    TempDir dir;
    dir.write("file", "x");
    for (const char* name : {"missing", "file"}) {
        std::vector<FolderEntry> entries = {{"kept", false}};
        FolderId id;
        EXPECT_FALSE(listFolder(folderPath(dir, name), &entries, &id)) << name;
        ASSERT_EQ(entries.size(), 1u) << name;
        EXPECT_EQ(entries[0].name, "kept");
    }
}

}  // namespace
}  // namespace tovrin
