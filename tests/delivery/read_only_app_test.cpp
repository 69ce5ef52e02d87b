// An installed wizard whose application folder its user cannot write still builds: the build
// works in the user's own folder, and gives the same package as a build from a writable copy.
// As root the build runs as the unprivileged user "nobody" (root writes anywhere).

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using namespace tovrin;
using test::readFile;

namespace {

const char kSetpriv[] = "/usr/bin/setpriv";
const fs::perms kAnyWrite =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

// A copy of the build tree's application folder: interpreter, compiler, languages.
void copyApplication(const fs::path& to) {
    fs::create_directories(to / "bin");
    for (const char* file : {"tovrin-cmd", "bin/makesis.exe", "bin/languages.wzl"})
        fs::copy_file(fs::path(TOVRIN_APP_DIR) / file, to / file);
}

void takeWriteAway(const fs::path& folder) {
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        fs::permissions(entry.path(), kAnyWrite, fs::perm_options::remove);
    fs::permissions(folder, kAnyWrite, fs::perm_options::remove);
}

TEST(ReadOnlyApplication, BuildsInTheUsersFolderTheSamePackage) {
    const bool root = geteuid() == 0;
    if (root && !fs::exists(kSetpriv)) GTEST_SKIP() << "no setpriv to run the build as nobody";
    test::TempDir dir;
    const fs::path top = dir.path();
    copyApplication(top / "installed app");
    copyApplication(top / "writable app");
    // Run from here: the build tree need not be open to the other user.
    const fs::path program = top / "tovrin_build_once";
    fs::copy_file(TOVRIN_BUILD_ONCE, program);
    dir.write("proj/system/apps/Demo/Demo.app", std::string(70000, 'a'));
    dir.write("proj/readme.txt", "read me\r\n");
    for (const char* folder : {"out-installed", "out-writable", "home"})
        fs::create_directories(top / folder);
    // The user who builds may write every folder but the installed application's.
    for (const auto& entry : fs::recursive_directory_iterator(top))
        if (entry.is_directory())
            fs::permissions(entry.path(), fs::perms::all, fs::perm_options::add);
    fs::permissions(top, fs::perms::all, fs::perm_options::add);
    takeWriteAway(top / "installed app");

    const std::vector<std::string> environment = {
        "HOME=" + (top / "home").string(), "XDG_CACHE_HOME=" + (top / "home/cache").string()};
    auto build = [&](const char* app, const char* out) {
        std::vector<std::string> args = {(top / app).string(), (top / "proj").string() + "/",
                                         (top / out).string() + "/", "Demo"};
        if (!root) return test::runProgram(program, args, {}, environment);
        args.insert(args.begin(), {"--reuid=nobody", "--regid=nogroup", "--clear-groups", "--",
                                   program.string()});
        return test::runProgram(kSetpriv, args, {}, environment);
    };

    const test::ProgramRun installed = build("installed app", "out-installed");
    ASSERT_EQ(installed.status, 0) << installed.out << installed.err;
    const test::ProgramRun writable = build("writable app", "out-writable");
    ASSERT_EQ(writable.status, 0) << writable.out << writable.err;

    ASSERT_TRUE(fs::is_regular_file(top / "out-installed/Demo.sis"));
    EXPECT_TRUE(readFile(top / "out-installed/Demo.sis") == readFile(top / "out-writable/Demo.sis"))
        << "the packages differ";
    // The installed folder is as it was; the user's folder holds the compiler's copy, clean.
    EXPECT_EQ(test::folderNames(top / "installed app/bin"),
              (std::vector<std::string>{"languages.wzl", "makesis.exe"}));
    EXPECT_EQ(test::folderNames(top / "home/cache/tovrin/bin"),
              std::vector<std::string>{"makesis.exe"});
    EXPECT_EQ(test::folderNames(top / "writable app/bin"),
              (std::vector<std::string>{"languages.wzl", "makesis.exe"}));
}

}  // namespace
