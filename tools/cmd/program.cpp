#include "tools/cmd/program.h"

#include "tools/cmd/file_commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace tovrin::cmd {
namespace {

bool isProgram(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// Tells the parent why exec failed; the pipe closes by itself when exec succeeds.
[[noreturn]] void failInChild(int reportFd) {
    int code = errno;
    ssize_t ignored = ::write(reportFd, &code, sizeof code);
    (void)ignored;
    ::_exit(127);
}

}  // namespace

std::string findProgram(const std::string& name, const std::string& currentFolder) {
    if (name.empty()) return "";
    const std::string here = resolvePath(currentFolder, name);
    return isProgram(here) ? here : "";
}

bool runProgram(const std::string& program, const std::vector<std::string>& args,
                const std::string& folder, int outputFd, int* status, std::string* error) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    int report[2];
    if (::pipe(report) != 0 || ::fcntl(report[0], F_SETFD, FD_CLOEXEC) != 0 ||
        ::fcntl(report[1], F_SETFD, FD_CLOEXEC) != 0) {
        *error = std::string("cannot start ") + args[0] + ": " + std::strerror(errno);
        return false;
    }
    pid_t child = ::fork();
    if (child < 0) {
        *error = std::string("cannot start ") + args[0] + ": " + std::strerror(errno);
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        // Only async-signal-safe calls between fork and exec.
        ::close(report[0]);
        if (::chdir(folder.c_str()) != 0) failInChild(report[1]);
        if (outputFd >= 0 && ::dup2(outputFd, STDOUT_FILENO) < 0) failInChild(report[1]);
        ::execv(program.c_str(), argv.data());
        failInChild(report[1]);
    }
    ::close(report[1]);
    int code = 0;
    ssize_t got;
    do got = ::read(report[0], &code, sizeof code);
    while (got < 0 && errno == EINTR);
    ::close(report[0]);
    int ended = 0;
    while (::waitpid(child, &ended, 0) < 0 && errno == EINTR) {
    }
    if (got == static_cast<ssize_t>(sizeof code)) {
        *error = "cannot start " + args[0] + ": " + std::strerror(code);
        return false;
    }
    *status = WIFEXITED(ended) ? WEXITSTATUS(ended) : 128 + WTERMSIG(ended);
    return true;
}

}  // namespace tovrin::cmd
