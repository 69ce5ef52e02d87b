#include "src/platform/process.h"

#ifdef _WIN32
#include <windows.h>
#include <vector>

#include "src/platform/local_text.h"
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
extern char** environ;
#endif

namespace tovrin {
namespace {

#ifdef _WIN32

class WindowsProcess : public StartedProcess {
public:
    explicit WindowsProcess(HANDLE process) : process_(process) {}
    ~WindowsProcess() override { CloseHandle(process_); }
    bool running() override { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

private:
    HANDLE process_;
};

class WindowsStarter : public ScriptStarter {
public:
    std::unique_ptr<StartedProcess> start(const std::string& scriptPath) override {
        // The interpreter from the system folder, never one lying in the current folder.
        char system[MAX_PATH + 1] = {};
        UINT n = GetSystemDirectoryA(system, MAX_PATH);
        if (n == 0 || n > MAX_PATH) return nullptr;
        std::string interpreter = std::string(system, n) + "\\cmd.exe";
        // The script runs by its name from its own folder: cmd.exe would expand a %NAME% in a
        // full path on its command line before even looking for the file. The script's "cd"
        // changes the folder but not the drive, so starting there also lets a wizard started
        // from another drive find the compiler. With /s, cmd.exe drops only the outer quotes.
        const std::size_t cut = findLastCharacterOf(scriptPath, "\\/") + 1;
        const std::string folder = scriptPath.substr(0, cut);
        std::string line = "cmd.exe /s /c \".\\" + scriptPath.substr(cut) + "\"";
        std::vector<char> commandLine(line.begin(), line.end());
        commandLine.push_back('\0');

        // Standard input, output and error on the null device: a command that asks (del of
        // a folder: "Are you sure (Y/N)?") reads the end of its input at once instead of
        // waiting on a console nobody sees.
        const NullDevice input(GENERIC_READ), output(GENERIC_WRITE);
        if (!input.handle || !output.handle) return nullptr;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
        startup.wShowWindow = SW_HIDE;
        startup.hStdInput = input.handle;
        startup.hStdOutput = output.handle;
        startup.hStdError = output.handle;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessA(interpreter.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                            CREATE_NO_WINDOW, nullptr, folder.empty() ? nullptr : folder.c_str(),
                            &startup, &info))
            return nullptr;
        CloseHandle(info.hThread);
        return std::make_unique<WindowsProcess>(info.hProcess);
    }

private:
    // "NUL" opened as a handle the script inherits; closed here once the script has its own.
    struct NullDevice {
        explicit NullDevice(DWORD access) {
            SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
            const HANDLE h = CreateFileA("NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         &inherited, OPEN_EXISTING, 0, nullptr);
            handle = h == INVALID_HANDLE_VALUE ? nullptr : h;
        }
        ~NullDevice() {
            if (handle) CloseHandle(handle);
        }
        NullDevice(const NullDevice&) = delete;
        NullDevice& operator=(const NullDevice&) = delete;
        HANDLE handle;
    };
};

#else

class PosixProcess : public StartedProcess {
public:
    explicit PosixProcess(pid_t pid) : pid_(pid) {}
    ~PosixProcess() override { running(); }

    bool running() override {
        if (ended_) return false;
        int status = 0;
        pid_t result;
        do result = ::waitpid(pid_, &status, WNOHANG);
        while (result < 0 && errno == EINTR);
        if (result == 0) return true;
        // Reaped now, or already reaped elsewhere (ECHILD): either way it no longer runs.
        ended_ = true;
        return false;
    }

private:
    pid_t pid_;
    bool ended_ = false;
};

class PosixStarter : public ScriptStarter {
public:
    explicit PosixStarter(std::string interpreter) : interpreter_(std::move(interpreter)) {}

    std::unique_ptr<StartedProcess> start(const std::string& scriptPath) override {
        if (::access(interpreter_.c_str(), X_OK) != 0) return nullptr;

        posix_spawn_file_actions_t files;
        posix_spawnattr_t attributes;
        if (posix_spawn_file_actions_init(&files) != 0) return nullptr;
        if (posix_spawnattr_init(&attributes) != 0) {
            posix_spawn_file_actions_destroy(&files);
            return nullptr;
        }
        // The script starts with plain signal handling whatever the window's toolkit set up.
        sigset_t none;
        sigset_t defaults;
        sigemptyset(&none);
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        sigaddset(&defaults, SIGCHLD);
        bool ready = posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0) == 0 &&
                     posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0) == 0 &&
                     posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0) == 0 &&
                     posix_spawnattr_setsigmask(&attributes, &none) == 0 &&
                     posix_spawnattr_setsigdefault(&attributes, &defaults) == 0 &&
                     posix_spawnattr_setflags(&attributes,
                                              POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;

        std::string script = scriptPath;
        char* argv[] = {interpreter_.data(), script.data(), nullptr};
        pid_t pid = 0;
        bool started = ready && posix_spawn(&pid, interpreter_.c_str(), &files, &attributes, argv,
                                            environ) == 0;
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&files);
        if (!started) return nullptr;
        return std::make_unique<PosixProcess>(pid);
    }

private:
    std::string interpreter_;
};

#endif

}  // namespace

std::unique_ptr<ScriptStarter> makeScriptStarter(const std::string& appFolder) {
#ifdef _WIN32
    (void)appFolder;
    return std::make_unique<WindowsStarter>();
#else
    return std::make_unique<PosixStarter>(appFolder + "/tovrin-cmd");
#endif
}

unsigned long currentProcessId() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long>(::getpid());
#endif
}

}  // namespace tovrin
