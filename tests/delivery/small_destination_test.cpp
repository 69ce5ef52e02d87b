// Deliveries into a destination on another file system than bin, one with room and one too
// small for the new package, as whole builds in a process of their own. Each destination is a
// small file system of a mount namespace of its own (root only); the checks run inside it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using namespace tovrin;

namespace {

std::string noise(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

TEST(SmallDestination, KeepsTheEarlierPackageWhenTheNewOneHasNoRoom) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a file system needs root";
    test::TempDir dir;
    fs::create_directories(dir.path() / "app/bin");
    for (const char* file : {"tovrin-cmd", "bin/makesis.exe", "bin/languages.wzl"})
        fs::copy_file(fs::path(TOVRIN_APP_DIR) / file, dir.path() / "app" / file);
    dir.write("proj/system/apps/Demo/Demo.app", noise(1200 * 1024, 1));  // does not compress
    dir.write("earlier.sis", noise(600 * 1024, 2));
    fs::create_directories(dir.path() / "roomy");
    fs::create_directories(dir.path() / "full");

    // Each destination holds the earlier package; after the build, the box the build showed,
    // whether the earlier package is still there, and the destination's files.
    const std::string top = dir.str();
    std::string script = "set -u\n";
    for (const char* dest : {"roomy", "full"}) {
        const std::string d = top + "/" + dest;
        script += std::string("mount -t tmpfs -o size=") + (dest[0] == 'f' ? "1m" : "4m") +
                  " tmpfs " + d + " || exit 3\n" + "cp " + top + "/earlier.sis " + d +
                  "/Demo.sis\n" + TOVRIN_BUILD_ONCE + " " + top + "/app " + top + "/proj/ " + d +
                  "/ Demo\n" + "cmp -s " + top + "/earlier.sis " + d + "/Demo.sis && echo kept\n" +
                  "ls -A " + d + "\n";
    }
    const test::ProgramRun run = test::runProgram("/usr/bin/unshare", {"-m", "sh", "-c", script});
    if (run.status == 3) GTEST_SKIP() << "no file system can be mounted here: " << run.err;
    EXPECT_EQ(run.out,
              // roomy: delivered, silently, and nothing else left there
              "Demo.sis\n"
              // full: the failure reported, the earlier package whole, no copy left
              "Error: The package could not be copied to " +
                  top + "/full/Demo.sis. The earlier package was kept.\n" + "kept\n" + "Demo.sis\n")
        << run.err;
}

}  // namespace
