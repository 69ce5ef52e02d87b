#include "src/platform/work_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "src/platform/local_text.h"
#include "src/platform/path.h"
#include "src/platform/read_file.h"
#include "src/platform/user_folder.h"

namespace tovrin {
namespace {

const char kCompiler[] = "makesis.exe";
#ifdef _WIN32
// The DLLs our compiler loads from its own folder (the LGPL crypto libraries). A compiler copied
// into a folder of its own needs them beside it; an SDK's compiler put in its place has none.
const char* const kCompilerLibraries[] = {"libgpg-error-0.dll", "libgcrypt-20.dll", "libksba-8.dll"};
#endif
// How many folders of its own a window may try when the others are taken.
constexpr int kOwnFolders = 100;

// On Windows a name of this process's own in the folder, so that two wizards trying the same
// folder do not collide (the system deletes it on close). Elsewhere one name for all: a probe
// that could not be deleted (or whose wizard was killed) is taken up and deleted by the next.
std::string probeIn(const std::string& folder) {
#ifdef _WIN32
    return folder + kSeparator + "tovrin-write-probe-" + std::to_string(GetCurrentProcessId()) +
           ".tmp";
#else
    return folder + kSeparator + "tovrin-write-probe.tmp";
#endif
}

#ifdef _WIN32

bool makeFolder(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool canMakeFileIn(const std::string& folder) {
    const std::string probe = probeIn(folder);
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    return CloseHandle(file) != 0;
}

// Copies `from` to `to` through a temporary name, so that `to` is never half written.
bool copyWhole(const std::string& from, const std::string& to) {
    const std::string temp = to + ".new";
    if (!CopyFileA(from.c_str(), temp.c_str(), FALSE)) return false;
    if (MoveFileExA(temp.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    DeleteFileA(temp.c_str());
    return false;
}

#else

bool makeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0777) == 0) return true;
    struct stat info;
    return errno == EEXIST && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool canMakeFileIn(const std::string& folder) {
    const std::string probe = probeIn(folder);
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool closed = close(fd) == 0;
    // Gone already: another wizard's probe of the same folder deleted it.
    return (unlink(probe.c_str()) == 0 || errno == ENOENT) && closed;
}

bool writeAll(int fd, const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Copies `from` to `to` through a temporary name, so that `to` is never half written; the
// copy can be run, as the compiler must be.
bool copyWhole(const std::string& from, const std::string& to) {
    std::string bytes;
    if (!readWholeFile(from, &bytes)) return false;
    const std::string temp = to + ".new";
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
    if (fd < 0) return false;
    const bool written = writeAll(fd, bytes);
    const bool closed = close(fd) == 0;
    if (written && closed && rename(temp.c_str(), to.c_str()) == 0) return true;
    unlink(temp.c_str());
    return false;
}

#endif

// Makes the folder and every missing folder above it. Only the last one counts: a folder
// above may exist and still refuse to be made (a drive, a share, a folder of another user).
// The separators are found by characters: in a double-byte code page a byte of "\" may stand
// inside a character of a folder's name.
bool makeFolders(const std::string& path) {
    for (std::size_t pos = 0; pos < path.size(); pos += characterLength(path, pos))
        if (pos > 0 && path[pos] == kSeparator && characterLength(path, pos) == 1)
            makeFolder(path.substr(0, pos));
    return makeFolder(path);
}

// The copy holds the installed compiler's bytes and can be run.
bool upToDate(const std::string& installed, const std::string& copy) {
#ifndef _WIN32
    if (access(copy.c_str(), X_OK) != 0) return false;
#endif
    std::string left, right;
    return readWholeFile(installed, &left) && readWholeFile(copy, &right) && left == right;
}

std::string binFolder(const std::string& folder) { return folder + kSeparator + "bin"; }

}  // namespace

std::string userWorkFolder() { return userFolder(UserFolder::Cache); }

std::string chooseWorkFolder(const std::string& appFolder) {
    if (canMakeFileIn(binFolder(appFolder))) return appFolder;
    const std::string user = userWorkFolder();
    return user.empty() ? appFolder : user;
}

bool prepareWorkFolder(const std::string& appFolder, const std::string& workFolder,
                       std::string* err) {
    if (workFolder == appFolder) return true;
    const std::string bin = binFolder(workFolder);
    const std::string installed = binFile(appFolder, kCompiler);
    const std::string copy = binFile(workFolder, kCompiler);
    if (!makeFolders(bin) || !canMakeFileIn(bin)) {
        if (err) *err = "Neither " + binFolder(appFolder) + " nor " + bin + " can be written.";
        return false;
    }
    std::vector<std::pair<std::string, std::string>> files{{installed, copy}};
#ifdef _WIN32
    for (const char* library : kCompilerLibraries) {
        const std::string from = binFile(appFolder, library);
        if (GetFileAttributesA(from.c_str()) != INVALID_FILE_ATTRIBUTES)
            files.emplace_back(from, binFile(workFolder, library));
    }
#endif
    for (const auto& [from, to] : files) {
        if (upToDate(from, to) || copyWhole(from, to)) continue;
        if (err) *err = "Cannot copy " + from + " to " + to + ".";
        return false;
    }
    return true;
}

bool takeWorkFolder(const std::string& appFolder, const std::string& preferred, std::string* folder,
                    std::unique_ptr<FolderLock>* lock, std::string* err) {
    std::vector<std::string> candidates{preferred};
    const std::string user = userWorkFolder();
    if (!user.empty()) {
        if (user != preferred) candidates.push_back(user);
        for (int n = 2; n <= kOwnFolders; ++n)
            candidates.push_back(user + kSeparator + std::to_string(n));
    }
    std::string unwritable;
    for (const std::string& candidate : candidates) {
        const std::string bin = binFolder(candidate);
        if (candidate != appFolder && !makeFolders(bin)) {
            if (unwritable.empty())
                unwritable = "Neither " + binFolder(appFolder) + " nor " + bin + " can be written.";
            continue;
        }
        bool taken = false;
        std::unique_ptr<FolderLock> held = lockFolder(bin, &taken);
        if (taken) continue;
        if (!prepareWorkFolder(appFolder, candidate, err)) return false;
        *folder = candidate;
        *lock = std::move(held);
        return true;
    }
    if (!err) return false;
    if (!unwritable.empty())
        *err = unwritable;
    else if (user.empty())
        *err = "Another build is working in " + binFolder(preferred) + ".";
    else
        *err = "Other builds are working in " + binFolder(preferred) +
               " and in every folder of its kind below " + user + ".";
    return false;
}

}  // namespace tovrin
