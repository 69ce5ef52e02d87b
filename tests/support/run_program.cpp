#include "tests/support/run_program.h"

#include <cstring>
#include <stdexcept>

#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace fs = std::filesystem;

namespace tovrin::test {
namespace {

// The environment with `changes` applied: each NAME=value replaces NAME or is added.
std::vector<std::string> environmentWith(const std::vector<std::string>& changes) {
    std::vector<std::string> result;
    auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=', 1)); };
#ifdef _WIN32
    char* block = GetEnvironmentStringsA();
    for (const char* e = block; *e; e += std::strlen(e) + 1) result.push_back(e);
    FreeEnvironmentStringsA(block);
#else
    for (char** e = environ; *e; ++e) result.push_back(*e);
#endif
    for (const std::string& change : changes) {
        bool replaced = false;
        for (std::string& entry : result)
            if (nameOf(entry) == nameOf(change)) entry = change, replaced = true;
        if (!replaced) result.push_back(change);
    }
    return result;
}

#ifdef _WIN32

// One argument as the C runtime splits a command line: quoted when it holds a blank, a tab
// or a quote or is empty, with backslashes doubled before a quote.
std::string quotedArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

int runAndWait(const fs::path& program, const std::vector<std::string>& args,
               const fs::path& folder, const std::vector<std::string>& environment,
               const fs::path& out, const fs::path& err) {
    std::string line = quotedArgument(program.string());
    for (const std::string& arg : args) line += " " + quotedArgument(arg);
    std::string block;
    for (const std::string& entry : environmentWith(environment)) block += entry + '\0';
    block += '\0';

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    auto open = [&](const fs::path& file, DWORD access, DWORD creation) {
        return CreateFileA(file.string().c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE input = open("NUL", GENERIC_READ, OPEN_EXISTING);
    HANDLE output = open(out, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE error = open(err, GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = error;
    PROCESS_INFORMATION info = {};
    const std::string where = folder.string();
    const bool started =
        input != INVALID_HANDLE_VALUE && output != INVALID_HANDLE_VALUE &&
        error != INVALID_HANDLE_VALUE &&
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, block.data(),
                       where.empty() ? nullptr : where.c_str(), &startup, &info);
    for (HANDLE h : {input, output, error})
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    if (!started) return -1;
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(info.hProcess, &status);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return static_cast<int>(status);
}

#else

int runAndWait(const fs::path& program, const std::vector<std::string>& args,
               const fs::path& folder, const std::vector<std::string>& environment,
               const fs::path& out, const fs::path& err) {
    std::vector<std::string> argStrings{program.string()};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings = environmentWith(environment);
    std::vector<char*> envp;
    for (std::string& e : envStrings) envp.push_back(e.data());
    envp.push_back(nullptr);

    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || o < 0 || e < 0 || dup2(in, 0) < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0 ||
            (!folder.empty() && chdir(folder.c_str()) != 0))
            _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif

}  // namespace

ProgramRun runProgram(const fs::path& program, const std::vector<std::string>& args,
                      const fs::path& folder, const std::vector<std::string>& environment) {
    TempDir capture;
    const fs::path out = capture.path() / "out";
    const fs::path err = capture.path() / "err";
    ProgramRun run;
    run.status = runAndWait(program, args, folder, environment, out, err);
    run.out = readFile(out);
    run.err = readFile(err);
    return run;
}

fs::path appProgram(const std::string& name) {
    fs::path program = fs::path(TOVRIN_APP_DIR) / fs::path(name);
#ifdef _WIN32
    if (program.extension() != ".exe") program += ".exe";
#endif
    return program;
}

}  // namespace tovrin::test
