// The built tovrin-cmd run as a real process on real temporary folders.

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace tovrin::test {
namespace {

const std::string kInterpreter = appProgram("tovrin-cmd").string();
const std::string kHelper = TOVRIN_TEST_HELPER;

class ToolTest : public ::testing::Test {
protected:
    std::string root() const { return fs::canonical(temp_.path()).string(); }

    // An executable in the temporary folder: the argument-printing helper, or a shell script.
    void installHelper(const std::string& relative) {
        fs::create_directories((temp_.path() / relative).parent_path());
        fs::copy_file(kHelper, temp_.path() / relative, fs::copy_options::overwrite_existing);
    }
    void writeScript(const std::string& relative, const std::string& body, bool executable = true) {
        fs::path file = temp_.write(relative, "#!/bin/sh\n" + body);
        fs::permissions(file, executable ? fs::perms(0755) : fs::perms(0644));
    }

    // Writes `script` as `name` in `folder` and runs `tovrin-cmd name` there.
    ProgramRun runScript(const std::string& folder, const std::string& name,
                         const std::string& script,
                         const std::string& pathVariable = "/nonexistent") {
        temp_.write(folder + "/" + name, script);
        return runProgram(kInterpreter, {name}, temp_.path() / folder, {"PATH=" + pathVariable});
    }

    TempDir temp_;
};

TEST_F(ToolTest, ProgramInTheCurrentFolderReceivesItsArgumentsExactly) {
    installHelper("work dir/show.exe");
    ProgramRun run = runScript(".", "t.bat",
                               "cd \"work dir\"\r\n"
                               "show.exe plain \"with  blank\" \"\" 100%%  a\"b c\"d \"x > y & z\" "
                               "> \"out file.txt\"\r\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(readFile(temp_.path() / "work dir/out file.txt"),
              "cwd=" + root() +
                  "/work dir\n"
                  "[show.exe]\n[plain]\n[with  blank]\n[]\n[100%]\n[ab cd]\n[x > y & z]\n");
}

// Only what lies in the current folder runs, by its exact bare name: never a program found on
// PATH, never a path of its own.
TEST_F(ToolTest, OnlyProgramsOfTheCurrentFolderRunByTheirExactBareName) {
    writeScript("here/tool.sh", "echo here \"$@\"\n");
    writeScript("path dir/tool.sh", "echo path \"$@\"\n");
    writeScript("path dir/only.sh", "echo path \"$@\"\n");
    writeScript("here/noexec.sh", "echo here\n", false);
    writeScript("path dir/noexec.sh", "echo path\n");
    installHelper("here/sub/show");
    ProgramRun run = runScript("here", "t.bat",
                               "tool.sh a > r1.txt\n"
                               "only.sh b > r2.txt\n"
                               "tool > r3.txt\n"
                               "noexec.sh > r4.txt\n"
                               "sub/show x > r5.txt\n"
                               "/bin/sh -c \"echo ran > r6.txt\"\n",
                               root() + "/path dir");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "t.bat:5: only a program in the current folder can be run; line skipped: sub/show x "
              "> r5.txt\n"
              "t.bat:6: only a program in the current folder can be run; line skipped: "
              "/bin/sh -c \"echo ran > r6.txt\"\n");
    fs::path here = temp_.path() / "here";
    EXPECT_EQ(readFile(here / "r1.txt"), "here a\n");
    EXPECT_EQ(readFile(here / "r2.txt"), "t.bat:2: program not found: only.sh\n");
    EXPECT_EQ(readFile(here / "r3.txt"), "t.bat:3: program not found: tool\n");
    EXPECT_EQ(readFile(here / "r4.txt"), "t.bat:4: program not found: noexec.sh\n");
    EXPECT_FALSE(fs::exists(here / "r5.txt"));
    EXPECT_FALSE(fs::exists(here / "r6.txt"));
}

TEST_F(ToolTest, MessagesAndProgramOutputKeepTheirOrder) {
    installHelper("w/show");
    ProgramRun run = runScript("w", "t.bat", "del first\r\nshow x\r\nfor\r\nmissing-program\r\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "t.bat:1: del: file not found: first\n"
              "cwd=" +
                  root() +
                  "/w\n[show]\n[x]\n"
                  "t.bat:3: 'for' is not supported; line skipped: for\n"
                  "t.bat:4: program not found: missing-program\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(ToolTest, AScriptThatCannotBeReadGivesStatusTwo) {
    fs::create_directories(temp_.path() / "folder.bat");
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    for (const Case& c :
         {Case{{"missing.bat"}, "tovrin-cmd: cannot read missing.bat: No such file or directory\n"},
          Case{{"folder.bat"}, "tovrin-cmd: cannot read folder.bat: is a folder\n"},
          Case{{}, "usage: tovrin-cmd script.bat\n"},
          Case{{"a.bat", "b.bat"}, "usage: tovrin-cmd script.bat\n"}}) {
        ProgramRun run = runProgram(kInterpreter, c.args, temp_.path(), {"PATH=/nonexistent"});
        EXPECT_EQ(run.status, 2) << c.err;
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
    }
}

// Help and version go to standard output with status 0, as the other commands answer them.
TEST(ToolAnswers, HelpAndVersion) {
    const std::string usage = "usage: tovrin-cmd script.bat\n";
    struct Case {
        std::vector<std::string> args;
        std::string outStart;
    } cases[] = {{{"-h"}, usage + "Runs one of the wizard's batch scripts"},
                 {{"--help"}, usage},
                 {{"go.bat", "--help"}, usage},
                 {{"--version"}, "tovrin-cmd " TOVRIN_VERSION "\n"}};
    for (const Case& c : cases) {
        ProgramRun run = runProgram(kInterpreter, c.args);
        EXPECT_EQ(run.status, 0) << c.args[0];
        EXPECT_EQ(run.out.rfind(c.outStart, 0), 0u) << run.out;
        EXPECT_EQ(run.err, "");
    }
}

// A path as the wizard writes it into a script: quoted, "%" doubled.
std::string quoted(const std::string& path) {
    std::string text = "\"";
    for (char c : path) text += c == '%' ? "%%" : std::string(1, c);
    return text + "\"";
}

std::vector<std::string> folderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// The two scripts of a build, as the wizard writes them, for folders with blanks and marks.
TEST_F(ToolTest, BuildAndDeliveryScriptsRunAsWritten) {
    const std::string app = root() + "/my app (1) 50%";
    const std::string bin = app + "/bin/";
    const std::string dest = root() + "/out & dir!/";
    installHelper("my app (1) 50%/bin/makesis.exe");
    temp_.write("my app (1) 50%/bin/temp.pkg", "&\"Demo\"\r\n");
    temp_.write("my app (1) 50%/bin/AboutInstaller.txt", "about\r\n");
    temp_.write("my app (1) 50%/bin/languages.wzl", "EN\r\n");
    temp_.write("out & dir!/Demo.sis", "earlier package, longer than the new one");
    temp_.write("out & dir!/Other.sis", "another package");

    temp_.write("my app (1) 50%/bin/go.bat", "cd " + quoted(bin) +
                                                 "\r\n"
                                                 "makesis.exe " +
                                                 quoted(bin + "temp.pkg") + " > " +
                                                 quoted(bin + "res.txt") + "\r\n");
    ProgramRun go = runProgram(kInterpreter, {bin + "go.bat"}, temp_.path(), {"PATH=/nonexistent"});
    EXPECT_EQ(go.status, 0);
    EXPECT_EQ(go.out, "");
    EXPECT_EQ(readFile(bin + "res.txt"),
              "cwd=" + app + "/bin\n[makesis.exe]\n[" + bin + "temp.pkg]\n");

    const std::string package("SIS\0\x01\r\n\xff", 8);
    temp_.write("my app (1) 50%/bin/temp.sis", package);
    const std::string copy = quoted(dest + "Demo.sis.7.tmp");
    std::string delBat = "cd " + quoted(bin) + "\r\n" + "copy " + quoted(bin + "temp.sis") + " " +
                         copy + " && move /y " + copy + " " + quoted(dest + "Demo.sis") +
                         "\r\ndel " + copy + "\r\n";
    for (const char* file : {"res.txt", "AboutInstaller.txt", "temp.pkg", "temp.sis", "go.bat"})
        delBat += "del " + quoted(bin + file) + "\r\n";
    temp_.write("my app (1) 50%/bin/del.bat", delBat);
    ProgramRun del =
        runProgram(kInterpreter, {bin + "del.bat"}, temp_.path(), {"PATH=/nonexistent"});
    EXPECT_EQ(del.status, 0);
    // The copy has been moved: only its deletion, there for a copy that failed, finds nothing.
    EXPECT_EQ(del.out, bin + "del.bat:3: del: file not found: " + dest + "Demo.sis.7.tmp\n");
    EXPECT_EQ(readFile(dest + "Demo.sis"), package);
    EXPECT_EQ(readFile(dest + "Other.sis"), "another package");
    EXPECT_EQ(folderEntries(bin),
              (std::vector<std::string>{"del.bat", "languages.wzl", "makesis.exe"}));
    EXPECT_EQ(folderEntries(dest), (std::vector<std::string>{"Demo.sis", "Other.sis"}));
}

}  // namespace
}  // namespace tovrin::test
