#include "src/platform/private_file.h"

#ifdef _WIN32
#include <windows.h>
#include <shlobj.h>
#else
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

#include <cstdio>
#include <cstdlib>
#include <random>

#include "src/platform/local_text.h"

namespace tovrin {
namespace {

std::string temporaryName(const std::string& path) {
    std::random_device random;
    char tag[16];
    std::snprintf(tag, sizeof tag, ".%08x", static_cast<unsigned>(random()));
    return path + tag + ".tmp";
}

}  // namespace

#ifdef _WIN32

bool writeOwnerOnlyFile(const std::string& path, const std::string& bytes, std::string* err) {
    std::string temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temp = temporaryName(path);
        file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (file == INVALID_HANDLE_VALUE) {
        *err = "cannot create " + path + ": its folder is missing or not writable";
        return false;
    }
    DWORD written = 0;
    const bool wrote = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                       written == bytes.size() && FlushFileBuffers(file);
    const bool closed = CloseHandle(file) != 0;
    if (!wrote || !closed) {
        DeleteFileA(temp.c_str());
        *err = "cannot write " + temp + " (disk full?)";
        return false;
    }
    if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(temp.c_str());
        *err = "cannot rename " + temp + " to " + path;
        return false;
    }
    return true;
}

bool isOwnerOnlyFile(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string userConfigFolder() {
    const char* roaming = std::getenv("APPDATA");
    std::string base = roaming ? roaming : "";
    char found[MAX_PATH] = {};
    if (base.empty() &&
        SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, found)))
        base = found;
    if (base.empty()) return {};
    if (endsWithCharacter(base, '\\') || endsWithCharacter(base, '/')) base.pop_back();
    return base + "\\Tovrin";
}

bool makeConfigFolder(const std::string& folder, std::string* err) {
    if (SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr) == ERROR_SUCCESS) return true;
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    *err = "cannot create the folder " + folder;
    return false;
}

#else

bool writeOwnerOnlyFile(const std::string& path, const std::string& bytes, std::string* err) {
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = temporaryName(path);
        // O_EXCL: never a file someone else made (or linked) beforehand; 0600 from creation, so
        // the key is never readable by others, not even for a moment.
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        *err = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    bool wrote = fchmod(fd, 0600) == 0;
    for (size_t done = 0; wrote && done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        wrote = n > 0;
        if (wrote) done += size_t(n);
    }
    wrote = wrote && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!wrote || !closed) {
        unlink(temp.c_str());
        *err = "cannot write " + temp + " (disk full?)";
        return false;
    }
    if (rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        unlink(temp.c_str());
        *err = "cannot rename " + temp + " to " + path + ": " + std::strerror(error);
        return false;
    }
    return true;
}

bool isOwnerOnlyFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && (info.st_mode & 077) == 0;
}

std::string userConfigFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return std::string(config) + "/tovrin";
    const char* home = std::getenv("HOME");
    std::string base = home ? home : "";
    if (base.empty()) {
        const passwd* user = getpwuid(getuid());
        if (user && user->pw_dir) base = user->pw_dir;
    }
    if (base.empty()) return {};
    if (base.back() == '/') base.pop_back();
    return base + "/.config/tovrin";
}

bool makeConfigFolder(const std::string& folder, std::string* err) {
    for (size_t at = 1; at <= folder.size(); ++at) {
        if (at < folder.size() && folder[at] != '/') continue;
        const std::string part = folder.substr(0, at);
        if (mkdir(part.c_str(), 0700) == 0) continue;
        struct stat info;
        if (errno == EEXIST && stat(part.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) continue;
        *err = "cannot create the folder " + part + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

#endif

}  // namespace tovrin
