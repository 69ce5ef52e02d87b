// Every failure point of a whole build: the wizard's build (tovrin_build_once: the create
// command and both ticks), go.bat and del.bat run by the real interpreter, the real compiler,
// all under a preload shim that counts their file operations on one counter and fails the n-th
// (no space, an I/O error), for n = 1, 2, ... until a build passes with no fault left; then
// kills at operations picked with a fixed seed among those every build does. Whatever fails,
// the destination holds the earlier package or the new one, whole, and the next build
// succeeds.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#endif

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <thread>

#include "src/sis/byte_source.h"
#include "src/sis/sis_reader.h"
#include "tests/delivery/fault_record.h"
#include "tests/support/build_fixture.h"
#include "tests/support/run_program.h"

namespace fs = std::filesystem;
using namespace tovrin;
using test::readFile;

namespace {

#ifndef _WIN32

struct Build {
    test::ProgramRun run;
    FaultRecord record{};
    bool ended = true;  // every process the build started had ended when it was judged
};

// A process that has exited, whether or not its parent has collected it yet.
bool hasEnded(int pid) {
    if (::kill(pid, 0) != 0) return true;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const size_t close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() || line[close + 2] == 'Z';
}

// Empty when the file is a whole package whose checksums verify, otherwise why not.
std::string wholePackage(const std::string& path) {
    sis::FileSource source;
    sis::Package package;
    std::string err;
    if (!source.open(path, &err) || !sis::readPackage(source, &package, &err)) return err;
    for (const sis::Check& c : sis::verifyPackage(source, package))
        if (!c.ok) return c.what + ": " + c.detail;
    return "";
}

// A tiny project built with the real compiler, and whole builds of it with or without the shim.
class FaultRig {
public:
    FaultRig() {
        f.useRealCompiler();
        test::writeFile(f.project + "system/apps/Demo/Demo.app", "app bytes");
        nextVersion(0);
    }

    // A new version of the project, so that a delivered package differs from the earlier one.
    void nextVersion(long n) const {
        test::writeFile(f.project + "version.txt", std::to_string(n));
    }

    // faultAt 0 with the shim only counts; without the shim nothing is counted.
    Build build(bool shim, long faultAt = 0, const std::string& kill = "") const {
        std::vector<std::string> environment = {"XDG_CACHE_HOME=" + f.root.str() + "/cache"};
        Build b;
        if (shim) {
            // A new file, so that no process left from an earlier build counts in this one.
            fs::remove(record_);
            std::ofstream(record_, std::ios::binary | std::ios::trunc)
                .write(reinterpret_cast<const char*>(&b.record), sizeof b.record);
            environment.insert(
                environment.end(),
                {std::string("LD_PRELOAD=") + TOVRIN_FAULT_SHIM, "TOVRIN_FAULT_FILE=" + record_,
                 "TOVRIN_FAULT_AT=" + std::to_string(faultAt), "TOVRIN_FAULT_KILL=" + kill});
        }
        b.run = test::runProgram(TOVRIN_BUILD_ONCE, {f.app, f.project, f.destination, "Demo"}, {},
                                 environment);
        if (shim) {
            readRecord(&b.record);
            b.ended = waitForTheRest(&b.record);
        }
        return b;
    }

    std::string package() const { return f.destination + "Demo.sis"; }
    std::vector<std::string> destination() const { return test::folderNames(f.destination); }
    std::vector<std::string> bin() const { return test::folderNames(fs::path(f.app) / "bin"); }

    // Back to a clean application folder and destination, so that each fault is judged alone.
    void tidy() const {
        for (const fs::path& folder : {fs::path(f.app) / "bin", fs::path(f.destination)})
            for (const auto& entry : fs::directory_iterator(folder))
                if (entry.path().filename() != "makesis.exe" &&
                    entry.path().filename() != "Demo.sis")
                    fs::remove_all(entry.path());
    }

    test::BuildFolders f;

private:
    void readRecord(FaultRecord* record) const {
        std::ifstream(record_, std::ios::binary)
            .read(reinterpret_cast<char*>(record), sizeof *record);
    }

    // A killed wizard or go.bat leaves its child running on its own (the compiler, del.bat):
    // what the build leaves is judged once that child is done too, as a user finds it.
    bool waitForTheRest(FaultRecord* record) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
        for (;;) {
            readRecord(record);  // a child may still start one of its own
            bool ended = true;
            for (int pid : record->pids) ended = ended && (pid <= 0 || hasEnded(pid));
            if (ended) return true;
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    std::string record_ = f.root.str() + "/fault-record";
};

const std::vector<std::string> kOnlyPackage = {"Demo.sis"};
const std::vector<std::string> kCleanBin = {"makesis.exe"};

// What is wrong after a build that had a fault, and after the next build without one.
std::string judge(const FaultRig& rig, const Build& faulty, const std::string& earlier) {
    std::string faults;
    auto fault = [&](const std::string& text) { faults += "\n  " + text; };
    const std::string after = readFile(rig.package());
    const bool delivered = after != earlier;
    if (faulty.run.status < 0 || faulty.run.out.find("still busy") != std::string::npos)
        fault("the window is not idle: " + faulty.run.out + faulty.run.err);
    if (after == "<missing>")
        fault("the earlier package is gone");
    else if (std::string why = wholePackage(rig.package()); !why.empty())
        fault("the destination holds a part of a package: " + why);
    if (!delivered && faulty.run.out.find("Error: ") == std::string::npos)
        fault("no new package and no Error box");
    if (rig.destination() != kOnlyPackage)
        fault("left in the destination: " + testing::PrintToString(rig.destination()));

    const Build next = rig.build(false);
    const std::string fresh = readFile(rig.package());
    if (next.run.status != 0) fault("the next build failed: " + next.run.out + next.run.err);
    if (delivered && after != fresh) fault("the destination holds neither package");
    if (fresh == earlier || !wholePackage(rig.package()).empty())
        fault("the next build delivered no whole new package");
    if (rig.bin() != kCleanBin)
        fault("left in bin after the next build: " + testing::PrintToString(rig.bin()));
    if (rig.destination() != kOnlyPackage)
        fault("left in the destination after the next build: " +
              testing::PrintToString(rig.destination()));
    rig.tidy();
    return faults;
}

#endif

TEST(BuildFaults, EveryFileOperationFailsInTurnAndNothingIsLost) {
#ifdef _WIN32
    GTEST_SKIP() << "the fault shim preloads into processes, which only Linux does here";
#else
    FaultRig rig;
    ASSERT_EQ(rig.build(false).run.status, 0);
    int tried = 0, survived = 0;
    for (long n = 1;; ++n) {
        rig.nextVersion(n);
        const std::string earlier = readFile(rig.package());
        const Build faulty = rig.build(true, n);
        if (faulty.record.failed == 0) {  // no operation left to fail: this build passed
            EXPECT_EQ(faulty.run.status, 0) << faulty.run.out << faulty.run.err;
            EXPECT_NE(readFile(rig.package()), earlier);
            break;
        }
        ++tried;
        const std::string faults = judge(rig, faulty, earlier);
        if (faults.empty())
            ++survived;
        else
            ADD_FAILURE() << "operation " << n << " (" << faulty.record.what
                          << ") failed:" << faults;
    }
    std::cout << "failure points tried: " << tried << ", survived: " << survived << "\n";
    EXPECT_GT(tried, 50);
#endif
}

TEST(BuildFaults, KilledWizardGoBatOrDelBatLeaveAWholePackage) {
#ifdef _WIN32
    GTEST_SKIP() << "the fault shim preloads into processes, which only Linux does here";
#else
    FaultRig rig;
    ASSERT_EQ(rig.build(false).run.status, 0);
    // Each role's own operations, counted in builds without a kill: the kills are aimed within
    // what every one of them did, so that each finds its operation however the load shifts the
    // processes' operations against each other.
    std::map<char, unsigned long> everyBuildDoes;
    for (int i = 0; i < 3; ++i) {
        const Build counted = rig.build(true);
        ASSERT_EQ(counted.run.status, 0) << counted.run.out << counted.run.err;
        for (char role : {'w', 'g', 'm', 'd'}) {
            const unsigned long done = counted.record.roleCounts[static_cast<int>(role)];
            everyBuildDoes[role] = i == 0 ? done : std::min(everyBuildDoes[role], done);
        }
    }
    std::cout << "operations every build did: wizard " << everyBuildDoes['w'] << ", go.bat "
              << everyBuildDoes['g'] << ", compiler " << everyBuildDoes['m'] << ", del.bat "
              << everyBuildDoes['d'] << "\n";
    // Who started whom: the wizard both scripts, go.bat the compiler.
    const std::map<char, std::string> ownAndChildren = {{'w', "wgd"}, {'g', "gm"}, {'d', "d"}};
    // Each victim is killed at its own operations or its child's, picked without repeats.
    struct Point {
        char by;
        unsigned long n;
    };
    std::mt19937 random(23);
    std::map<char, std::vector<Point> > points;
    for (char victim : {'w', 'g', 'd'}) {
        for (char by : ownAndChildren.at(victim))
            for (unsigned long n = 1; n <= everyBuildDoes[by]; ++n)
                points[victim].push_back({by, n});
        ASSERT_GE(points[victim].size(), 7u) << victim;
        std::shuffle(points[victim].begin(), points[victim].end(), random);
    }
    int strays = 0;
    for (int i = 0; i < 20; ++i) {
        const char victim = "wgd"[i % 3];
        const Point at = points[victim][static_cast<std::size_t>(i / 3)];
        rig.nextVersion(1000 + i);
        const std::string earlier = readFile(rig.package());
        const Build killed = rig.build(true, static_cast<long>(at.n), std::string{victim, at.by});
        ASSERT_NE(killed.record.failed, 0u)
            << victim << " never killed at operation " << at.n << " of " << at.by;
        const std::string where = std::string(1, victim) + " killed at " + killed.record.what;
        std::cout << where << "\n";
        ASSERT_TRUE(killed.ended) << where << ": a process of the build still runs";
        const std::string after = readFile(rig.package());
        EXPECT_EQ(wholePackage(rig.package()), "") << where;
        const Build next = rig.build(false);
        EXPECT_EQ(next.run.status, 0) << where << ": " << next.run.out << next.run.err;
        const std::string fresh = readFile(rig.package());
        EXPECT_TRUE(after == earlier || after == fresh) << where << ": neither package";
        EXPECT_NE(fresh, earlier) << where;
        EXPECT_EQ(wholePackage(rig.package()), "") << where;
        // A copy killed half way leaves its temporary, named for its own build.
        if (rig.destination() != kOnlyPackage) ++strays;
        rig.tidy();
    }
    std::cout << "kills: 20, temporaries left in the destination: " << strays << "\n";
#endif
}

}  // namespace
