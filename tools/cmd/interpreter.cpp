#include "tools/cmd/interpreter.h"

#include "src/platform/read_file.h"
#include "tools/cmd/batch_line.h"
#include "tools/cmd/file_commands.h"
#include "tools/cmd/program.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

namespace tovrin::cmd {
namespace {

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// cmd.exe's own commands other than those run here. They are reported rather than looked up
// as programs, so "echo" or "set" never runs a host program of the same name.
bool isOtherInterpreterCommand(const std::string& command) {
    static const char* const kCommands[] = {
        "assoc",    "break",  "call",  "cls",    "color",    "date",  "dir",   "echo",
        "endlocal", "exit",   "for",   "ftype",  "goto",     "if",    "md",    "mkdir",
        "mklink",   "path",   "pause", "popd",   "prompt",   "pushd", "rd",    "rem",
        "ren",      "rename", "rmdir", "set",    "setlocal", "shift", "start", "time",
        "title",    "type",   "ver",   "verify", "vol"};
    return command[0] == ':' || command[0] == '(' ||
           std::find(std::begin(kCommands), std::end(kCommands), command) != std::end(kCommands);
}

// Why a command named so is not run here; empty when it is.
std::string refusal(const std::string& name) {
    if (!name.empty() && isOtherInterpreterCommand(lowerCase(name)))
        return "'" + name + "' is not supported";
    // A script runs only what lies beside it in the current folder, by its bare name: a path
    // or a name found elsewhere could start any program of the host.
    if (name.find('/') != std::string::npos)
        return "only a program in the current folder can be run";
    return "";
}

constexpr const char* kUsage = "usage: tovrin-cmd script.bat\n";
constexpr const char* kHelp =
    "Runs one of the wizard's batch scripts where cmd.exe is not at hand: cd, del, copy, move,\n"
    "programs of the current folder by their bare names, \">\" and \"&&\". A line it does not\n"
    "understand is reported and skipped; each line runs whatever the one before did.\n"
    "  -h, --help show this help\n"
    "  --version  show the version\n"
    "Exit status: 0 once every line has run, 2 when the script cannot be read.\n";

std::string startFolder() {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) ? buffer : ".";
}

}  // namespace

Interpreter::Interpreter(std::string currentFolder, std::ostream& out)
    : currentFolder_(std::move(currentFolder)), out_(out) {}

void Interpreter::report(const std::string& where, const std::string& message) {
    out_ << where << ": " << message << '\n';
}

void Interpreter::runScript(const std::string& text, const std::string& scriptName) {
    std::size_t start = 0;
    for (int number = 1; start < text.size(); ++number) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        runLine(text.substr(start, end - start), scriptName + ":" + std::to_string(number));
        start = end + 1;
    }
    out_.flush();
}

void Interpreter::runLine(const std::string& text, const std::string& where) {
    std::string shown = text;
    while (!shown.empty() && shown.back() == '\r') shown.pop_back();
    // Every command of the line is judged before the first runs, so a line is never half run
    // for want of understanding its end.
    const std::vector<std::string> parts = splitAtAnd(text);
    std::vector<BatchLine> commands;
    for (const std::string& part : parts) {
        BatchLine line = parseLine(part);
        std::string why = line.error;
        if (why.empty() && line.words.empty() && (line.redirected || parts.size() > 1))
            why = "nothing to run";
        if (why.empty() && !line.words.empty()) why = refusal(line.words[0]);
        if (!why.empty()) return report(where, why + "; line skipped: " + shown);
        commands.push_back(std::move(line));
    }
    for (const BatchLine& line : commands)
        if (!line.words.empty() && !runCommand(line, where)) return;
}

std::optional<std::string> Interpreter::runOwnCommand(const std::string& command,
                                                      const std::vector<std::string>& args) {
    if (command == "cd" || command == "chdir") return changeFolder(&currentFolder_, args);
    if (command == "del" || command == "erase") return deleteFile(currentFolder_, args);
    if (command == "copy") return copyFile(currentFolder_, args);
    if (command == "move") return moveFile(currentFolder_, args);
    return std::nullopt;
}

bool Interpreter::runCommand(const BatchLine& line, const std::string& where) {
    int outputFd = -1;
    if (line.redirected) {
        std::string target = resolvePath(currentFolder_, line.target);
        int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (line.append ? O_APPEND : O_TRUNC);
        outputFd = ::open(target.c_str(), flags, 0666);
        if (outputFd < 0) {
            report(where, "cannot open " + line.target + " for output: " + std::strerror(errno) +
                              "; line skipped");
            return false;
        }
    }

    const std::string command = lowerCase(line.words[0]);
    const std::vector<std::string> args(line.words.begin() + 1, line.words.end());
    std::string message;
    bool succeeded = false;
    if (std::optional<std::string> said = runOwnCommand(command, args)) {
        message = *said;
        succeeded = message.empty();
    } else if (std::string program = findProgram(line.words[0], currentFolder_); program.empty()) {
        message = "program not found: " + line.words[0];
    } else {
        out_.flush();
        int status = 0;
        succeeded = runProgram(program, line.words, currentFolder_, outputFd, &status, &message) &&
                    status == 0;
    }

    if (!message.empty()) {
        const std::string text = where + ": " + message + "\n";
        if (outputFd < 0) {
            report(where, message);
        } else if (!writeAll(outputFd, text.data(), text.size())) {
            report(where, message);
            report(where, "cannot write to " + line.target + ": " + std::strerror(errno));
        }
    }
    if (outputFd >= 0 && ::close(outputFd) != 0)
        report(where, "cannot write to " + line.target + ": " + std::strerror(errno));
    return succeeded;
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    for (const std::string& arg : args) {
        if (arg == "-h" || arg == "--help") {
            out << kUsage << kHelp;
            return 0;
        }
    }
    if (args.size() == 1 && args[0] == "--version") {
        out << "tovrin-cmd " TOVRIN_VERSION "\n";
        return 0;
    }
    if (args.size() != 1) {
        err << kUsage;
        return 2;
    }
    std::string text;
    std::string error;
    if (!readWholeFile(args[0], &text, &error)) {
        err << "tovrin-cmd: cannot read " << args[0] << ": " << error << '\n';
        return 2;
    }
    Interpreter(startFolder(), out).runScript(text, args[0]);
    return 0;
}

}  // namespace tovrin::cmd
