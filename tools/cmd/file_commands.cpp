#include "tools/cmd/file_commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace tovrin::cmd {
namespace {

std::string systemError() { return std::strerror(errno); }

bool hasWildcard(const std::string& path) { return path.find_first_of("*?") != std::string::npos; }

std::string wordCount(const std::vector<std::string>& args) {
    return std::to_string(args.size()) + (args.size() == 1 ? " word" : " words");
}

std::string baseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

std::string folderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Copies the open file `in` to the open file `out`; false with errno set on a failure.
bool copyBytes(int in, int out) {
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (!writeAll(out, buffer, static_cast<std::size_t>(n))) return false;
    }
}

}  // namespace

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string resolvePath(const std::string& currentFolder, const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    if (!currentFolder.empty() && currentFolder.back() == '/') return currentFolder + path;
    return currentFolder + "/" + path;
}

std::string changeFolder(std::string* currentFolder, const std::vector<std::string>& args) {
    std::vector<std::string> rest = args;
    // "/d" also changes the drive under cmd.exe; here it is a switch only when a folder follows.
    if (rest.size() == 2 && (rest[0] == "/d" || rest[0] == "/D")) rest.erase(rest.begin());
    if (rest.size() != 1)
        return "cd: expected one folder, got " + wordCount(rest) + " (quote a path with blanks)";
    std::string wanted = resolvePath(*currentFolder, rest[0]);
    char real[PATH_MAX];
    if (!::realpath(wanted.c_str(), real))
        return "cd: cannot change to " + rest[0] + ": " + systemError();
    struct stat info;
    if (::stat(real, &info) != 0 || !S_ISDIR(info.st_mode)) return "cd: not a folder: " + rest[0];
    if (::access(real, X_OK) != 0) return "cd: cannot change to " + rest[0] + ": " + systemError();
    *currentFolder = real;
    return "";
}

std::string deleteFile(const std::string& currentFolder, const std::vector<std::string>& args) {
    if (args.size() != 1)
        return "del: expected one file, got " + wordCount(args) +
               " (quote a path with blanks); nothing deleted";
    const std::string& name = args[0];
    if (hasWildcard(name)) return "del: wildcards are not supported, nothing deleted: " + name;
    std::string path = resolvePath(currentFolder, name);
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return "del: file not found: " + name;
        return "del: cannot delete " + name + ": " + systemError();
    }
    if (S_ISDIR(info.st_mode)) return "del: " + name + " is a folder; nothing deleted";
    if (::unlink(path.c_str()) != 0) return "del: cannot delete " + name + ": " + systemError();
    return "";
}

namespace {

// The two paths of copy or move, judged alike: two words, no wildcards, a source that is no
// folder; a folder as the destination receives a file of the source's name. `follow`: the
// source is judged by what a link names (copy reads through it; move renames the link).
std::string sourceAndDestination(const std::string& verb, const std::string& done,
                                 const std::string& currentFolder,
                                 const std::vector<std::string>& args, bool follow,
                                 std::string* from, std::string* to, struct stat* fromInfo) {
    if (args.size() != 2)
        return verb + ": expected a source and a destination, got " + wordCount(args) +
               " (quote a path with blanks); nothing " + done;
    const std::string& source = args[0];
    const std::string& destination = args[1];
    if (hasWildcard(source) || hasWildcard(destination))
        return verb + ": wildcards are not supported, nothing " + done + ": " + source + " " +
               destination;

    *from = resolvePath(currentFolder, source);
    *to = resolvePath(currentFolder, destination);
    if ((follow ? ::stat(from->c_str(), fromInfo) : ::lstat(from->c_str(), fromInfo)) != 0)
        return verb + ": cannot find " + source + ": " + systemError();
    if (S_ISDIR(fromInfo->st_mode)) return verb + ": " + source + " is a folder; nothing " + done;
    struct stat toInfo;
    if (::stat(to->c_str(), &toInfo) == 0 && S_ISDIR(toInfo.st_mode))
        *to = resolvePath(*to, baseName(*from));
    return "";
}

}  // namespace

std::string copyFile(const std::string& currentFolder, const std::vector<std::string>& args) {
    std::string from, to;
    struct stat fromInfo;
    if (std::string m = sourceAndDestination("copy", "copied", currentFolder, args, true, &from,
                                             &to, &fromInfo);
        !m.empty())
        return m;
    const std::string& source = args[0];
    const std::string& destination = args[1];

    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return "copy: cannot read " + source + ": " + systemError();

    std::string temporary = folderOf(to) + "/.tovrin-copy-XXXXXX";
    int out = ::mkstemp(temporary.data());
    if (out < 0) {
        std::string why = systemError();
        ::close(in);
        return "copy: cannot write " + destination + ": " + why;
    }
    bool copied = copyBytes(in, out);
    std::string why = copied ? "" : systemError();
    ::close(in);
    if (copied && ::fchmod(out, fromInfo.st_mode & 0777) != 0) {
        copied = false;
        why = systemError();
    }
    if (::close(out) != 0 && copied) {
        copied = false;
        why = systemError();
    }
    if (copied && ::rename(temporary.c_str(), to.c_str()) != 0) {
        copied = false;
        why = systemError();
    }
    if (!copied) {
        ::unlink(temporary.c_str());
        return "copy: cannot copy " + source + " to " + destination + ": " + why;
    }
    return "";
}

std::string moveFile(const std::string& currentFolder, const std::vector<std::string>& args) {
    std::vector<std::string> rest = args;
    if (!rest.empty() && (rest[0] == "/y" || rest[0] == "/Y")) rest.erase(rest.begin());
    std::string from, to;
    struct stat fromInfo;
    if (std::string m = sourceAndDestination("move", "moved", currentFolder, rest, false, &from,
                                             &to, &fromInfo);
        !m.empty())
        return m;
    const std::string& source = rest[0];
    const std::string& destination = rest[1];
    if (::rename(from.c_str(), to.c_str()) != 0)
        return "move: cannot move " + source + " to " + destination + ": " + systemError();
    return "";
}

}  // namespace tovrin::cmd
