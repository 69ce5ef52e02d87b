// The process seam starting real scripts through the built tovrin-cmd.

#include "src/platform/process.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

namespace fs = std::filesystem;

namespace tovrin {
namespace {

using test::readFile;
using test::TempDir;

const std::string kHelper = TOVRIN_TEST_HELPER;

// Polls until `done` holds, for ten seconds at most.
bool waitUntil(const std::function<bool()>& done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// True when some child of this process has ended and not been reaped yet (it stays unreaped).
bool aChildHasEnded() {
    siginfo_t info = {};
    return waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0;
}

bool noChildLeft() {
    int status = 0;
    return waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

class ProcessTest : public ::testing::Test {
protected:
    void TearDown() override {
        // Reap whatever a failed test left, so the next test starts without children.
        int status = 0;
        waitUntil([&] { return waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD; });
    }

    std::string path(const std::string& relative) const {
        return (temp_.path() / relative).string();
    }

    // A script that copies a file and then waits for "release" before creating "done". The
    // interpreter runs programs of the current folder only, so the helper lies there.
    std::string waitingScript() {
        temp_.write("a.txt", "copied by the script");
        fs::copy_file(kHelper, temp_.path() / "helper");
        return temp_
            .write("run me.bat", "cd \"" + temp_.str() +
                                     "\"\r\n"
                                     "copy a.txt b.txt\r\n"
                                     "helper --wait-for release done\r\n")
            .string();
    }

    TempDir temp_;
    std::unique_ptr<ScriptStarter> starter_ = makeScriptStarter(TOVRIN_APP_DIR);
};

TEST_F(ProcessTest, RunsTheScriptAndReportsWhenItHasEnded) {
    std::unique_ptr<StartedProcess> process = starter_->start(waitingScript());
    ASSERT_NE(process, nullptr);
    ASSERT_TRUE(waitUntil([&] { return fs::exists(path("b.txt")); }));
    EXPECT_TRUE(process->running());  // held by the helper until "release" exists
    temp_.write("release", "");
    EXPECT_TRUE(waitUntil([&] { return !process->running(); }));
    EXPECT_FALSE(process->running());
    EXPECT_EQ(readFile(path("b.txt")), "copied by the script");
    EXPECT_EQ(readFile(path("done")), "done\n");
    EXPECT_TRUE(noChildLeft());
}

TEST_F(ProcessTest, ScriptRunsWithItsStandardFilesOnDevNull) {
    fs::copy_file(kHelper, temp_.path() / "helper");
    std::string script = temp_
                             .write("fds.bat", "cd \"" + temp_.str() + "\"\nhelper --std-files \"" +
                                                   path("fds.txt") + "\"\n")
                             .string();
    std::unique_ptr<StartedProcess> process = starter_->start(script);
    ASSERT_NE(process, nullptr);
    ASSERT_TRUE(waitUntil([&] { return !process->running(); }));
    EXPECT_EQ(readFile(path("fds.txt")), "/dev/null\n/dev/null\n/dev/null\n");
}

TEST_F(ProcessTest, DestroyingAnEndedProcessReapsIt) {
    std::unique_ptr<StartedProcess> process =
        starter_->start(temp_.write("empty.bat", "\r\n").string());
    ASSERT_NE(process, nullptr);
    ASSERT_TRUE(waitUntil(aChildHasEnded));
    process.reset();
    EXPECT_TRUE(noChildLeft());
}

TEST_F(ProcessTest, DestroyingARunningProcessNeitherStopsNorWaitsForIt) {
    std::unique_ptr<StartedProcess> process = starter_->start(waitingScript());
    ASSERT_NE(process, nullptr);
    ASSERT_TRUE(waitUntil([&] { return fs::exists(path("b.txt")); }));
    process.reset();  // would hang here, until the helper gives up, if it waited
    EXPECT_FALSE(fs::exists(path("done")));
    temp_.write("release", "");
    EXPECT_TRUE(waitUntil([&] { return fs::exists(path("done")); }));
}

TEST_F(ProcessTest, ScriptThatCannotBeReadEndsAtOnce) {
    std::unique_ptr<StartedProcess> process = starter_->start(path("no such script.bat"));
    ASSERT_NE(process, nullptr);
    EXPECT_TRUE(waitUntil([&] { return !process->running(); }));
}

// A missing interpreter is found before anything starts: start() gives null.
TEST_F(ProcessTest, MissingOrUnusableInterpreterGivesNull) {
    std::string script = waitingScript();
    EXPECT_EQ(makeScriptStarter(path("no app"))->start(script), nullptr);
    temp_.write("app/tovrin-cmd", "not a program");
    fs::permissions(path("app/tovrin-cmd"), fs::perms(0644));
    EXPECT_EQ(makeScriptStarter(path("app"))->start(script), nullptr);
    EXPECT_TRUE(noChildLeft());
}

}  // namespace
}  // namespace tovrin
