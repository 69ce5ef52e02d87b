#pragma once
// tovrin-cmd: runs a batch script where cmd.exe is not at hand. It knows what the wizard's
// scripts use: cd, del, copy, move, running a program, ">" redirection, "&&" and quoted
// arguments (see batch_line.h). Each line runs whatever the one before did. A line it does not
// understand is reported and skipped; it never hands a line to a shell.
//
// Messages are one line each, "<script>:<line>: <message>", on the interpreter's standard
// output, or in the line's ">" file when the line has one.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/cmd/batch_line.h"

namespace tovrin::cmd {

class Interpreter {
public:
    // `out` takes the messages; programs write to this process's standard output, so `out`
    // is flushed before each one starts.
    Interpreter(std::string currentFolder, std::ostream& out);

    void runScript(const std::string& text, const std::string& scriptName);
    // `where` prefixes the line's messages, e.g. "go.bat:2".
    void runLine(const std::string& line, const std::string& where);

    const std::string& currentFolder() const { return currentFolder_; }

private:
    // Runs one command of a line; true when it succeeded (a program: exit status 0).
    bool runCommand(const BatchLine& line, const std::string& where);
    // cd, del, copy or move (`command` in lower case): its message, empty on success; nothing
    // when `command` is none of them.
    std::optional<std::string> runOwnCommand(const std::string& command,
                                             const std::vector<std::string>& args);
    void report(const std::string& where, const std::string& message);

    std::string currentFolder_;
    std::ostream& out_;
};

// The command line `tovrin-cmd script.bat` (or -h, --help, --version). 0 once every line has
// run, whatever the lines did; 2 when the script cannot be read.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tovrin::cmd
