// The host seams that differ between Windows and elsewhere: the application folder, the ANSI
// code page, and on Windows the script starter (cmd.exe) and the folder search's attributes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "src/platform/ansi_code_page.h"
#include "src/platform/app_folder.h"
#include "src/platform/folder_listing.h"
#include "src/platform/process.h"
#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace tovrin {
namespace {

TEST(ApplicationFolder, IsTheFolderOfTheRunningProgram) {
    const std::string folder = applicationFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '/');
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(fs::equivalent(folder, TOVRIN_TEST_BINARY_DIR)) << folder;
}

TEST(AnsiCodePage, GivesTheHostsCharacterOrNoneElsewhere) {
#ifdef _WIN32
    ASSERT_EQ(GetACP(), 1252u) << "the tests run with the code page wine takes from C.UTF-8";
    EXPECT_EQ(ansiCharacter(0x80), 0x20AC);  // the euro sign
    EXPECT_EQ(ansiCharacter(0xE9), 0x00E9);
#else
    EXPECT_EQ(ansiCharacter(0x80), 0);
    EXPECT_EQ(ansiCharacter(0xE9), 0);
#endif
}

#ifdef _WIN32

bool waitUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The script runs in a process of its own, with its own folder as the current one (also
// when the path holds what cmd.exe would expand on its command line), until it ends.
TEST(ScriptStarter, RunsTheScriptInItsFolderAndTellsWhenItHasEnded) {
    test::TempDir root;
    const fs::path folder = root.path() / "p%OS%q & 50%";
    fs::create_directories(folder);
    const fs::path script = folder / "go.bat";
    root.write("p%OS%q & 50%/go.bat",
               "cd > where.txt\r\n"
               ":wait\r\n"
               "if not exist release goto wait\r\n"
               "echo done > done.txt\r\n");
    auto starter = makeScriptStarter(applicationFolder());
    std::unique_ptr<StartedProcess> process = starter->start(script.string());
    ASSERT_NE(process, nullptr);
    ASSERT_TRUE(waitUntil([&] { return fs::exists(folder / "where.txt"); }));
    EXPECT_TRUE(process->running());
    root.write("p%OS%q & 50%/release", "");
    EXPECT_TRUE(waitUntil([&] { return !process->running(); }));
    EXPECT_TRUE(fs::exists(folder / "done.txt"));
    EXPECT_EQ(test::readFile(folder / "where.txt"), folder.string() + "\r\n");
}

TEST(ScriptStarter, AScriptThatIsNotThereEndsAtOnce) {
    test::TempDir root;
    auto starter = makeScriptStarter(applicationFolder());
    std::unique_ptr<StartedProcess> process = starter->start((root.path() / "none.bat").string());
    ASSERT_NE(process, nullptr);  // cmd.exe starts, and ends, saying the file is not there
    EXPECT_TRUE(waitUntil([&] { return !process->running(); }));
}

// A command that waits for an answer reads the end of its input and goes on.
TEST(ScriptStarter, ScriptReadsItsInputFromTheNullDevice) {
    test::TempDir root;
    root.write("ask.bat", "set /p answer=Name? \r\npause\r\necho done > done.txt\r\n");
    auto starter = makeScriptStarter(applicationFolder());
    std::unique_ptr<StartedProcess> process = starter->start((root.path() / "ask.bat").string());
    ASSERT_NE(process, nullptr);
    EXPECT_TRUE(waitUntil([&] { return !process->running(); }));
    EXPECT_TRUE(fs::exists(root.path() / "done.txt"));
}

// Hidden and read-only files are files like any other; the search's own "." and ".." come
// first, and the name field is the record's whole fixed field.
TEST(FolderSearch, ListsHiddenAndReadOnlyFiles) {
    test::TempDir root;
    root.write("hidden.txt", "h");
    root.write("read-only.txt", "r");
    ASSERT_TRUE(
        SetFileAttributesA((root.path() / "hidden.txt").string().c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA((root.path() / "read-only.txt").string().c_str(),
                                   FILE_ATTRIBUTE_READONLY));
    std::vector<FolderEntry> entries;
    FolderId id;
    ASSERT_TRUE(listFolder(root.str() + "\\", &entries, &id));
    std::vector<std::string> names;
    for (const FolderEntry& e : entries) {
        EXPECT_EQ(e.name.size(), static_cast<std::size_t>(MAX_PATH));
        names.push_back(e.name.substr(0, e.name.find('\0')));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "hidden.txt", "read-only.txt"}));
    EXPECT_TRUE(id.known);
}

#endif

}  // namespace
}  // namespace tovrin
