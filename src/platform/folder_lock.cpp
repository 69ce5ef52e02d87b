#include "src/platform/folder_lock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

#include "src/platform/path.h"

namespace tovrin {
namespace {

#ifdef _WIN32

class OpenLockFile : public FolderLock {
public:
    explicit OpenLockFile(HANDLE file) : file_(file) {}
    ~OpenLockFile() override { CloseHandle(file_); }

private:
    HANDLE file_;
};

#else

// flock, not fcntl: its lock belongs to the open folder, so a second lockFolder of the same
// process is refused too, and it is not dropped when another descriptor of the folder closes.
class FlockedFolder : public FolderLock {
public:
    explicit FlockedFolder(int fd) : fd_(fd) {}
    ~FlockedFolder() override { ::close(fd_); }

private:
    int fd_;
};

#endif

}  // namespace

std::unique_ptr<FolderLock> lockFolder(const std::string& folder, bool* taken) {
    *taken = false;
#ifdef _WIN32
    // Shared with nobody: a second open fails while this handle is open. Not inherited by the
    // scripts: an inherited copy is closed whenever the system gets round to it after the
    // script's exit (late under wine), so the file would outlive the build and take the folder
    // from the next one; closed here, it goes at once.
    const std::string path = folder + kSeparator + "build.lock";
    const HANDLE file = CreateFileA(
        path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *taken = GetLastError() == ERROR_SHARING_VIOLATION;
        return nullptr;
    }
    return std::make_unique<OpenLockFile>(file);
#else
    // Without O_CLOEXEC: the scripts inherit the lock.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return nullptr;
    int locked;
    do locked = ::flock(fd, LOCK_EX | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        *taken = errno == EWOULDBLOCK;
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FlockedFolder>(fd);
#endif
}

}  // namespace tovrin
