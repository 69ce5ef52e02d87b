// The work folder: where the per-user folder lies on each host, and how a build readies it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "src/platform/path.h"
#include "src/platform/work_folder.h"
#include "tests/support/scoped_variable.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace tovrin {
namespace {

using test::ScopedVariable;

TEST(WorkFolder, UserFolderFollowsTheHostsVariables) {
    struct Case {
        std::optional<std::string> cache, home;
        std::string expected;
    };
    const char* kCacheVariable = test::kUserCacheVariable;
#ifdef _WIN32
    const Case cases[] = {
        {"C:\\Users\\Ann\\AppData\\Local", {}, "C:\\Users\\Ann\\AppData\\Local\\Tovrin"},
        {"D:\\Local\\", {}, "D:\\Local\\Tovrin"}};
#else
    const Case cases[] = {{"/var/cache/ann", "/home/ann", "/var/cache/ann/tovrin"},
                          {"relative/cache", "/home/ann", "/home/ann/.cache/tovrin"},
                          {{}, "/home/ann/", "/home/ann/.cache/tovrin"},
                          {"", "/home/ann", "/home/ann/.cache/tovrin"}};
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        ScopedVariable cache(kCacheVariable, c.cache);
        ScopedVariable home("HOME", c.home);
        EXPECT_EQ(userWorkFolder(), c.expected);
    }
}

TEST(WorkFolder, UserFolderGetsTheInstalledCompiler) {
    test::TempDir dir;
    const std::string app = dir.str() + kSeparator + "app";
    const std::string compiler = "the installed compiler";
    dir.write("app/bin/makesis.exe", compiler);
#ifdef _WIN32
    // Our compiler loads the crypto libraries from its own folder: they go with it.
    dir.write("app/bin/libgcrypt-20.dll", "a library");
    const std::vector<std::string> copied{"libgcrypt-20.dll", "makesis.exe"};
#else
    const std::vector<std::string> copied{"makesis.exe"};
#endif
    struct Case {
        const char* what;
        const char* work;         // below the temporary folder
        const char* earlierCopy;  // in the work folder's bin before; null for none
    };
    const Case cases[] = {{"no folder yet", "user/cache/tovrin", nullptr},
                          {"an earlier compiler", "user2", "an earlier compiler"},
                          {"the same compiler", "user3", "the installed compiler"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string work = dir.str() + kSeparator + c.work;
        std::replace(work.begin(), work.end(), '/', kSeparator);
        if (c.earlierCopy) dir.write(std::string(c.work) + "/bin/makesis.exe", c.earlierCopy);
        std::string err;
        ASSERT_TRUE(prepareWorkFolder(app, work, &err)) << err;
        EXPECT_EQ(test::readFile(binFile(work, "makesis.exe")), compiler);
        EXPECT_EQ(test::folderNames(fs::path(work) / "bin"), copied);
#ifndef _WIN32
        EXPECT_NE(fs::status(binFile(work, "makesis.exe")).permissions() & fs::perms::owner_exec,
                  fs::perms::none);
#endif
    }

    // The application folder itself needs nothing; a folder that cannot be made is named.
    std::string err;
    EXPECT_TRUE(prepareWorkFolder(app, app, &err));
    dir.write("plain file", "");
    const std::string impossible = dir.str() + kSeparator + "plain file" + kSeparator + "tovrin";
    EXPECT_FALSE(prepareWorkFolder(app, impossible, &err));
    EXPECT_EQ(err, "Neither " + app + kSeparator + "bin nor " + impossible + kSeparator +
                       "bin can be written.");
}

// One folder, one build: a build that finds its folder taken gets one of its own, with its own
// copy of the compiler, and a folder let go is free again.
TEST(WorkFolder, BuildsAtOnceTakeFoldersOfTheirOwn) {
    test::TempDir dir;
    const std::string app = dir.str() + kSeparator + "app";
    dir.write("app/bin/makesis.exe", "the installed compiler");
    ScopedVariable cache(test::kUserCacheVariable, dir.str() + kSeparator + "cache");
    const std::string user = userWorkFolder();

    std::unique_ptr<FolderLock> locks[4];
    const std::string expected[] = {app, user, user + kSeparator + "2", app};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        if (i == 3) locks[0].reset();  // the first build has ended
        std::string folder, err;
        ASSERT_TRUE(takeWorkFolder(app, app, &folder, &locks[i], &err)) << err;
        EXPECT_EQ(folder, expected[i]);
        EXPECT_NE(locks[i], nullptr);
        EXPECT_EQ(test::readFile(binFile(folder, "makesis.exe")), "the installed compiler");
    }
    locks[1].reset();
    std::string folder, err;
    std::unique_ptr<FolderLock> again;
    ASSERT_TRUE(takeWorkFolder(app, user, &folder, &again, &err)) << err;
    EXPECT_EQ(folder, user);
}

}  // namespace
}  // namespace tovrin
