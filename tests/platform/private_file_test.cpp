// Files that hold keys: readable by their owner alone from the first byte, written whole or not
// at all, and the folder the user's settings live in.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "src/platform/private_file.h"
#include "tests/support/scoped_variable.h"
#include "tests/support/temp_dir.h"

namespace tovrin {
namespace {

using test::ScopedVariable;

// A file made the ordinary way is readable by others (the umask, or the folder's inherited
// access on Windows), so the check tells the two apart.
TEST(PrivateFile, OnlyTheOwnerCanReadWhatIsWrittenPrivately) {
    test::TempDir dir;
    const std::string ordinary = dir.write("ordinary.txt", "public").string();
    const std::string secret = (dir.path() / "secret.key").string();
    std::string err;
    ASSERT_TRUE(writeOwnerOnlyFile(secret, "first", &err)) << err;
    ASSERT_TRUE(writeOwnerOnlyFile(ordinary, "now secret", &err)) << err;
    const std::string plain = dir.write("plain.txt", "public").string();
#ifndef _WIN32
    namespace fs = std::filesystem;
    fs::permissions(plain, fs::perms::owner_read | fs::perms::owner_write |
                               fs::perms::group_read | fs::perms::others_read);
#endif
    struct Case {
        std::string path, content;
        bool ownerOnly;
    };
    for (const Case& c : {Case{plain, "public", false},
                          Case{secret, "first", true}, Case{ordinary, "now secret", true},
                          Case{(dir.path() / "missing").string(), "<missing>", false}}) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(isOwnerOnlyFile(c.path), c.ownerOnly);
        EXPECT_EQ(test::readFile(c.path), c.content);
    }
    EXPECT_EQ(test::folderNames(dir.path()),
              (std::vector<std::string>{"ordinary.txt", "plain.txt", "secret.key"}));
}

TEST(PrivateFile, UncommittedLeavesTheOldFileAndNothingElse) {
    test::TempDir dir;
    const std::string key = dir.write("me.key", "old key").string();
    std::string err;
    {
        PendingPrivateFile pending(key);
        ASSERT_TRUE(pending.write("new key", &err)) << err;
        EXPECT_EQ(test::folderNames(dir.path()).size(), 2u);
    }
    EXPECT_EQ(test::readFile(key), "old key");
    EXPECT_EQ(test::folderNames(dir.path()), std::vector<std::string>{"me.key"});
    PendingPrivateFile unwritten(key);
    EXPECT_FALSE(unwritten.commit(&err));
    EXPECT_FALSE(writeOwnerOnlyFile((dir.path() / "no" / "such.key").string(), "k", &err));
    EXPECT_NE(err.find("such.key"), std::string::npos) << err;
}

TEST(PrivateFile, ConfigFolderFollowsTheHostsVariables) {
    struct Case {
        std::optional<std::string> config, home;
        std::string expected;
    };
#ifdef _WIN32
    const char* kVariable = "APPDATA";
    const Case cases[] = {
        {"C:\\Users\\Ann\\AppData\\Roaming", {}, "C:\\Users\\Ann\\AppData\\Roaming\\Tovrin"},
        {"D:\\Roaming\\", {}, "D:\\Roaming\\Tovrin"}};
#else
    const char* kVariable = "XDG_CONFIG_HOME";
    const Case cases[] = {{"/etc/ann", "/home/ann", "/etc/ann/tovrin"},
                          {"relative", "/home/ann", "/home/ann/.config/tovrin"},
                          {{}, "/home/ann/", "/home/ann/.config/tovrin"}};
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        ScopedVariable config(kVariable, c.config);
        ScopedVariable home("HOME", c.home);
        EXPECT_EQ(userConfigFolder(), c.expected);
    }
}

}  // namespace
}  // namespace tovrin
