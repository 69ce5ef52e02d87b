// The interpreter's own commands, run in this process on a fresh temporary folder.

#include "tools/cmd/interpreter.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace tovrin::cmd {
namespace {

using test::readFile;
using test::TempDir;

class InterpreterTest : public ::testing::Test {
protected:
    // Runs the script from the temporary folder; returns its messages.
    std::string run(const std::string& script) {
        std::ostringstream out;
        Interpreter interpreter(root(), out);
        interpreter.runScript(script, "t.bat");
        folderAfter_ = interpreter.currentFolder();
        return out.str();
    }
    std::string root() const { return fs::canonical(temp_.path()).string(); }
    bool exists(const std::string& relative) const {
        return fs::exists(fs::symlink_status(temp_.path() / relative));
    }
    std::string content(const std::string& relative) const {
        return readFile(temp_.path() / relative);
    }
    std::vector<std::string> entries(const std::string& relative = "") const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(temp_.path() / relative))
            names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir temp_;
    std::string folderAfter_;
};

// --- cd ---

TEST_F(InterpreterTest, CdChangesTheFolderOfLaterLines) {
    temp_.write("my bin/a.txt", "a");
    temp_.write("sub/b.txt", "b");
    EXPECT_EQ(run("cd \"my bin\"\r\ndel a.txt\r\nCD ../sub/\r\nDel b.txt\r\n"), "");
    EXPECT_FALSE(exists("my bin/a.txt"));
    EXPECT_FALSE(exists("sub/b.txt"));
    EXPECT_EQ(folderAfter_, root() + "/sub");
}

TEST_F(InterpreterTest, CdAcceptsAbsolutePathsTheDriveSwitchAndChdir) {
    fs::create_directories(temp_.path() / "a/b");
    run("cd /d " + root() + "/a\nchdir b\n");
    EXPECT_EQ(folderAfter_, root() + "/a/b");
    run("cd    /D    \"" + root() + "/a/\"\n");
    EXPECT_EQ(folderAfter_, root() + "/a");
}

TEST_F(InterpreterTest, FailedCdIsReportedAndLeavesTheFolder) {
    temp_.write("file.txt", "x");
    fs::create_directories(temp_.path() / "two words");
    EXPECT_EQ(run("cd nowhere\ncd file.txt\ncd two words\ncd\n"),
              "t.bat:1: cd: cannot change to nowhere: No such file or directory\n"
              "t.bat:2: cd: not a folder: file.txt\n"
              "t.bat:3: cd: expected one folder, got 2 words (quote a path with blanks)\n"
              "t.bat:4: cd: expected one folder, got 0 words (quote a path with blanks)\n");
    EXPECT_EQ(folderAfter_, root());
}

// --- del ---

TEST_F(InterpreterTest, DelDeletesOnlyTheNamedFile) {
    temp_.write("out dir/Demo.sis", "old");
    temp_.write("out dir/Demo.sis.bak", "keep");
    temp_.write("100%.txt", "x");
    EXPECT_EQ(run("del \"" + root() + "/out dir/Demo.sis\"\r\nERASE 100%%.txt\r\n"), "");
    EXPECT_EQ(entries("out dir"), std::vector<std::string>{"Demo.sis.bak"});
    EXPECT_FALSE(exists("100%.txt"));
}

TEST_F(InterpreterTest, DelReportsWhatItCannotDelete) {
    fs::create_directories(temp_.path() / "folder/inner");
    temp_.write("folder/inner/f", "x");
    EXPECT_EQ(run("del missing.txt\ndel folder\ndel\n"),
              "t.bat:1: del: file not found: missing.txt\n"
              "t.bat:2: del: folder is a folder; nothing deleted\n"
              "t.bat:3: del: expected one file, got 0 words (quote a path with blanks); nothing "
              "deleted\n");
    EXPECT_TRUE(exists("folder/inner/f"));
}

// A path split by an unquoted blank must not delete its pieces.
TEST_F(InterpreterTest, DelOfAnUnquotedPathWithBlanksDeletesNothing) {
    temp_.write("my", "1");
    temp_.write("file.txt", "2");
    temp_.write("my file.txt", "3");
    EXPECT_EQ(run("del my file.txt\n"),
              "t.bat:1: del: expected one file, got 2 words (quote a path with blanks); nothing "
              "deleted\n");
    EXPECT_EQ(entries(), (std::vector<std::string>{"file.txt", "my", "my file.txt"}));
}

class DelWildcardTest : public ::testing::TestWithParam<const char*> {};

TEST_P(DelWildcardTest, DeletesNothing) {
    TempDir temp;
    temp.write("a.sis", "a");
    temp.write("b.sis", "b");
    temp.write("*.sis", "literal star");
    temp.write("?.sis", "literal mark");
    std::ostringstream out;
    Interpreter(temp.str(), out).runScript(std::string("del ") + GetParam() + "\n", "t.bat");
    EXPECT_EQ(out.str().rfind("t.bat:1: del: wildcards are not supported, nothing deleted: ", 0),
              0u)
        << out.str();
    for (const char* name : {"a.sis", "b.sis", "*.sis", "?.sis"})
        EXPECT_TRUE(fs::exists(temp.path() / name)) << name;
}

INSTANTIATE_TEST_SUITE_P(Paths, DelWildcardTest,
                         ::testing::Values("*.sis", "?.sis", "\"*.sis\"", "a.*", "*", "sub/*.sis"));

// Names are exact: another case names another file, as the host's file system has it.
TEST_F(InterpreterTest, DelAndCopyMatchNamesExactly) {
    temp_.write("res.txt", "compiler output");
    temp_.write("Demo.sis", "1");
    temp_.write("demo.sis", "2");
    EXPECT_EQ(run("del RES.TXT\ndel Demo.sis\ncopy RES.txt out.txt\n"),
              "t.bat:1: del: file not found: RES.TXT\n"
              "t.bat:3: copy: cannot find RES.txt: No such file or directory\n");
    EXPECT_EQ(entries(), (std::vector<std::string>{"demo.sis", "res.txt"}));
}

// --- copy ---

std::string everyByte() {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    return bytes + "\r\n\0\x1a end";
}

TEST_F(InterpreterTest, CopyWritesAnExactCopyAndReplacesTheDestination) {
    temp_.write("my app/bin/temp.sis", everyByte());
    temp_.write("out dir/Demo.sis", std::string(100000, 'o'));
    EXPECT_EQ(run("cd \"my app/bin\"\r\nCOPY temp.sis \"" + root() + "/out dir/Demo.sis\"\r\n"),
              "");
    EXPECT_EQ(content("out dir/Demo.sis"), everyByte());
    EXPECT_EQ(content("my app/bin/temp.sis"), everyByte());
    EXPECT_EQ(entries("out dir"), std::vector<std::string>{"Demo.sis"});
}

TEST_F(InterpreterTest, CopyOfALargeFileIsComplete) {
    std::string big;
    for (int i = 0; i < 300000; ++i) big += static_cast<char>(i * 7 % 251);
    temp_.write("big", big);
    EXPECT_EQ(run("copy big big2\n"), "");
    EXPECT_EQ(content("big2"), big);
}

TEST_F(InterpreterTest, CopyIntoAFolderKeepsTheSourceName) {
    temp_.write("temp.sis", "sis");
    fs::create_directories(temp_.path() / "dest");
    EXPECT_EQ(run("copy temp.sis dest\n"), "");
    EXPECT_EQ(content("dest/temp.sis"), "sis");
}

TEST_F(InterpreterTest, CopyOntoItselfKeepsTheBytes) {
    temp_.write("same", "unchanged");
    EXPECT_EQ(run("copy same same\n"), "");
    EXPECT_EQ(content("same"), "unchanged");
}

TEST_F(InterpreterTest, FailedCopyIsReportedAndCreatesNothing) {
    temp_.write("old.sis", "earlier package");
    fs::create_directories(temp_.path() / "folder");
    EXPECT_EQ(run("copy temp.sis old.sis\n"
                  "copy temp.sis new.sis\n"
                  "copy folder new.sis\n"
                  "copy old.sis nowhere/new.sis\n"
                  "copy old.sis\n"
                  "copy *.sis dest\n"),
              "t.bat:1: copy: cannot find temp.sis: No such file or directory\n"
              "t.bat:2: copy: cannot find temp.sis: No such file or directory\n"
              "t.bat:3: copy: folder is a folder; nothing copied\n"
              "t.bat:4: copy: cannot write nowhere/new.sis: No such file or directory\n"
              "t.bat:5: copy: expected a source and a destination, got 1 word (quote a path with "
              "blanks); "
              "nothing copied\n"
              "t.bat:6: copy: wildcards are not supported, nothing copied: *.sis dest\n");
    EXPECT_EQ(entries(), (std::vector<std::string>{"folder", "old.sis"}));
    EXPECT_EQ(content("old.sis"), "earlier package");
}

// --- move ---

TEST_F(InterpreterTest, MoveRenamesOverTheTargetInOneStep) {
    temp_.write("out/Demo.sis.7.tmp", everyByte());
    temp_.write("out/Demo.sis", "earlier package");
    temp_.write("a.txt", "a");
    fs::create_directories(temp_.path() / "dest");
    EXPECT_EQ(run("move /y out/Demo.sis.7.tmp \"" + root() + "/out/Demo.sis\"\nMOVE a.txt dest\n"),
              "");
    EXPECT_EQ(entries("out"), std::vector<std::string>{"Demo.sis"});
    EXPECT_EQ(content("out/Demo.sis"), everyByte());
    EXPECT_EQ(entries("dest"), std::vector<std::string>{"a.txt"});
}

TEST_F(InterpreterTest, FailedMoveIsReportedAndChangesNothing) {
    temp_.write("old.sis", "earlier package");
    temp_.write("new.sis", "new package");
    fs::create_directories(temp_.path() / "folder");
    std::string script =
        "move missing.sis old.sis\n"
        "move folder old.sis\n"
        "move new.sis nowhere/old.sis\n"
        "move /y new.sis\n"
        "move *.sis old.sis\n";
    std::string expected =
        "t.bat:1: move: cannot find missing.sis: No such file or directory\n"
        "t.bat:2: move: folder is a folder; nothing moved\n"
        "t.bat:3: move: cannot move new.sis to nowhere/old.sis: No such file or directory\n"
        "t.bat:4: move: expected a source and a destination, got 1 word (quote a path with "
        "blanks); nothing moved\n"
        "t.bat:5: move: wildcards are not supported, nothing moved: *.sis old.sis\n";
    // A rename cannot cross file systems: the move fails rather than copying.
    struct stat shm, here;
    if (::stat("/dev/shm", &shm) == 0 && ::stat(temp_.str().c_str(), &here) == 0 &&
        shm.st_dev != here.st_dev) {
        script += "move new.sis /dev/shm/tovrin-move-test.sis\n";
        expected +=
            "t.bat:6: move: cannot move new.sis to /dev/shm/tovrin-move-test.sis: Invalid "
            "cross-device link\n";
    }
    EXPECT_EQ(run(script), expected);
    EXPECT_EQ(entries(), (std::vector<std::string>{"folder", "new.sis", "old.sis"}));
    EXPECT_EQ(content("old.sis"), "earlier package");
    EXPECT_EQ(content("new.sis"), "new package");
}

// --- && ---

TEST_F(InterpreterTest, AndRunsTheNextCommandOnlyWhenTheOneBeforeSucceeded) {
    temp_.write("fails", "#!/bin/sh\nexit 3\n");
    temp_.write("succeeds", "#!/bin/sh\nexit 0\n");
    fs::permissions(temp_.path() / "fails", fs::perms::owner_all);
    fs::permissions(temp_.path() / "succeeds", fs::perms::owner_all);
    struct Case {
        const char* script;
        std::vector<std::string> left;  // the .txt files afterwards, of a.txt, b.txt and c.txt
    } cases[] = {
        {"copy a.txt b.txt && move /y b.txt c.txt", {"a.txt", "c.txt"}},
        {"copy missing.txt b.txt && del a.txt", {"a.txt"}},
        {"del a.txt && del a.txt && copy x c.txt", {}},
        {"succeeds && \"del\" a.txt", {}},
        {"fails && del a.txt", {"a.txt"}},
        {"del a.txt&&copy \"x && y\" c.txt", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) fs::remove(temp_.path() / name);
        temp_.write("a.txt", "a");
        run(std::string(c.script) + "\r\n");
        std::vector<std::string> left;
        for (const std::string& name : entries())
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0)
                left.push_back(name);
        EXPECT_EQ(left, c.left);
    }
}

// --- redirection ---

TEST_F(InterpreterTest, RedirectionSendsACommandsMessagesIntoTheFile) {
    EXPECT_EQ(run("del missing.txt > log.txt\n"
                  "del gone>\"log two.txt\"\n"
                  "> log3.txt del absent\n"
                  "del absent >> log3.txt\n"),
              "");
    EXPECT_EQ(content("log.txt"), "t.bat:1: del: file not found: missing.txt\n");
    EXPECT_EQ(content("log two.txt"), "t.bat:2: del: file not found: gone\n");
    EXPECT_EQ(content("log3.txt"),
              "t.bat:3: del: file not found: absent\n"
              "t.bat:4: del: file not found: absent\n");
}

TEST_F(InterpreterTest, RedirectionEmptiesTheFileAndIsRelativeToTheCurrentFolder) {
    temp_.write("bin/res.txt", "output of an earlier run");
    temp_.write("bin/x", "x");
    EXPECT_EQ(run("cd bin\ndel x > res.txt\n"), "");
    EXPECT_EQ(content("bin/res.txt"), "");
    EXPECT_FALSE(exists("bin/x"));
}

TEST_F(InterpreterTest, LineWhoseFileCannotBeOpenedIsSkipped) {
    temp_.write("keep.txt", "x");
    EXPECT_EQ(run("del keep.txt > nowhere/log.txt\n"),
              "t.bat:1: cannot open nowhere/log.txt for output: No such file or directory; line "
              "skipped\n");
    EXPECT_TRUE(exists("keep.txt"));
}

// --- lines it does not understand ---

class UnknownLineTest : public ::testing::TestWithParam<const char*> {};

TEST_P(UnknownLineTest, IsReportedAndTheNextLineStillRuns) {
    TempDir temp;
    for (const char* name : {"a.txt", "b.txt", "victim.txt"}) temp.write(name, "x");
    std::ostringstream out;
    Interpreter(temp.str(), out)
        .runScript(std::string(GetParam()) + "\r\ndel victim.txt\r\n", "t.bat");
    const std::string messages = out.str();
    EXPECT_EQ(messages.rfind("t.bat:1: ", 0), 0u) << messages;
    EXPECT_NE(messages.find("; line skipped: " + std::string(GetParam())), std::string::npos)
        << messages;
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 1) << messages;
    EXPECT_EQ(readFile(temp.path() / "a.txt"), "x");
    EXPECT_EQ(readFile(temp.path() / "b.txt"), "x");
    EXPECT_FALSE(fs::exists(temp.path() / "victim.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, UnknownLineTest,
    ::testing::Values("for %%f in (a.txt b.txt) do del %%f", "if exist a.txt del a.txt",
                      "set X=a.txt", "@echo off", "echo y > a.txt", "rem del a.txt", ":label",
                      "del a.txt | del b.txt", "del a.txt & del b.txt", "del a.txt &&& del b.txt",
                      "del a.txt && echo b.txt", "&& del a.txt", "del a.txt &&", "sort < a.txt",
                      "del %X%", "del \"a.txt", "start del a.txt", "call other.bat"));

TEST_F(InterpreterTest, MissingProgramIsReported) {
    EXPECT_EQ(run("no-such-program-here a b\n"),
              "t.bat:1: program not found: no-such-program-here\n");
}

TEST_F(InterpreterTest, BlankLinesAndBothLineEndsAreAccepted) {
    temp_.write("a", "1");
    temp_.write("b", "2");
    temp_.write("c", "3");
    EXPECT_EQ(run("\r\n  \r\ndel a\r\n\n\tdel b\ndel c"), "");
    EXPECT_TRUE(entries().empty());
}

}  // namespace
}  // namespace tovrin::cmd
