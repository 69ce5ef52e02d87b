// A preload library for the fault tests: counts the file operations of every process of one
// build (the wizard, the interpreter, the compiler) on one counter shared through a file (and
// each role on a counter of its own), and
// makes the operation with the chosen number fail (no space for what writes, an I/O error for
// the rest), or kills a process there. Driven by the environment:
//   TOVRIN_FAULT_FILE  a file of sizeof(FaultRecord) bytes, made by the test
//   TOVRIN_FAULT_AT    the number of the operation to fail; 0 only counts
//   TOVRIN_FAULT_KILL  two roles (see FaultRecord::roleCounts), a victim and itself or its
//                      child: instead of failing, kill the victim at the second role's own
//                      operation of that number (counted in that role alone: a process's own
//                      operations come in the same order in every run, however the load
//                      interleaves them with the others')

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/delivery/fault_record.h"

namespace {

FaultRecord* record = nullptr;
long faultAt = 0;
char killRole = 0;
char killBy = 0;
char role = 'w';

// The role from the command line: the interpreter running go.bat or del.bat, the compiler,
// or else the wizard.
char roleOf(const char* cmdline, size_t size) {
    const char* arg0 = cmdline;
    const char* arg1 = cmdline + std::strlen(cmdline) + 1;
    auto endsWith = [](const char* s, const char* end) {
        size_t n = std::strlen(s), m = std::strlen(end);
        return n >= m && std::strcmp(s + n - m, end) == 0;
    };
    if (endsWith(arg0, "makesis.exe")) return 'm';
    if (endsWith(arg0, "tovrin-cmd") && arg1 < cmdline + size)
        return endsWith(arg1, "go.bat") ? 'g' : endsWith(arg1, "del.bat") ? 'd' : 'c';
    return 'w';
}

__attribute__((constructor)) void start() {
    const char* file = std::getenv("TOVRIN_FAULT_FILE");
    if (!file) return;
    const char* at = std::getenv("TOVRIN_FAULT_AT");
    faultAt = at ? std::atol(at) : 0;
    const char* kill = std::getenv("TOVRIN_FAULT_KILL");
    killRole = kill ? kill[0] : 0;
    killBy = killRole ? kill[1] : 0;
    char cmdline[4096] = {};
    int fd = static_cast<int>(syscall(SYS_openat, AT_FDCWD, "/proc/self/cmdline", O_RDONLY));
    ssize_t got = fd < 0 ? 0 : syscall(SYS_read, fd, cmdline, sizeof cmdline - 1);
    if (fd >= 0) syscall(SYS_close, fd);
    if (got > 0) role = roleOf(cmdline, static_cast<size_t>(got));
    fd = static_cast<int>(syscall(SYS_openat, AT_FDCWD, file, O_RDWR));
    if (fd < 0) return;
    void* map = mmap(nullptr, sizeof(FaultRecord), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    syscall(SYS_close, fd);
    if (map == MAP_FAILED) return;
    record = static_cast<FaultRecord*>(map);
    record->pids[static_cast<unsigned char>(role) % 128] = getpid();
}

template <class F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// Standard input, output and error are the test's, not the build's.
bool isRegular(int fd) {
    if (fd <= 2) return false;
    struct stat info;
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

void describe(unsigned long n, const char* op, const char* path, int fd) {
    char target[512] = {};
    if (!path) {
        char link[64];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        if (readlink(link, target, sizeof target - 1) < 0) target[0] = '\0';
        path = target;
    }
    std::snprintf(record->what, sizeof record->what, "%c %s %s", role, op, path);
    record->failed = n;
}

// Counts one operation and says whether it is the one to fail, or kills there.
bool failHere(const char* op, const char* path, int fd = -1) {
    if (!record) return false;
    if (path && (std::strncmp(path, "/dev/", 5) == 0 || std::strncmp(path, "/proc/", 6) == 0))
        return false;
    if (!path && !isRegular(fd)) return false;
    const unsigned long n = __atomic_add_fetch(&record->count, 1, __ATOMIC_SEQ_CST);
    const unsigned long mine = __atomic_add_fetch(
        &record->roleCounts[static_cast<unsigned char>(role) % 128], 1, __ATOMIC_SEQ_CST);
    if (killRole) {
        // Only ever this process or its parent, and only the one of that role.
        const int victim = record->pids[static_cast<unsigned char>(killRole) % 128];
        if (role != killBy || static_cast<long>(mine) != faultAt || record->failed || victim <= 0 ||
            (victim != getpid() && victim != getppid()))
            return false;
        describe(n, op, path, fd);
        kill(victim, SIGKILL);
        return false;
    }
    if (static_cast<long>(n) != faultAt) return false;
    describe(n, op, path, fd);
    return true;
}

bool writes(int flags) { return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0; }

int failWith(int error) {
    errno = error;
    return -1;
}

}  // namespace

extern "C" {

// The mode argument of an open, there only when the call may create the file.
#define TOVRIN_TAKE_MODE                               \
    mode_t mode = 0;                                   \
    if (flags & (O_CREAT | O_TMPFILE)) {               \
        va_list list;                                  \
        va_start(list, flags);                         \
        mode = static_cast<mode_t>(va_arg(list, int)); \
        va_end(list);                                  \
    }

int open(const char* path, int flags, ...) {
    TOVRIN_TAKE_MODE
    if (failHere("open", path)) return failWith(writes(flags) ? ENOSPC : EIO);
    return real<int (*)(const char*, int, ...)>("open")(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    TOVRIN_TAKE_MODE
    if (failHere("open64", path)) return failWith(writes(flags) ? ENOSPC : EIO);
    return real<int (*)(const char*, int, ...)>("open64")(path, flags, mode);
}

int openat(int dir, const char* path, int flags, ...) {
    TOVRIN_TAKE_MODE
    if (failHere("openat", path)) return failWith(writes(flags) ? ENOSPC : EIO);
    return real<int (*)(int, const char*, int, ...)>("openat")(dir, path, flags, mode);
}

int openat64(int dir, const char* path, int flags, ...) {
    TOVRIN_TAKE_MODE
    if (failHere("openat64", path)) return failWith(writes(flags) ? ENOSPC : EIO);
    return real<int (*)(int, const char*, int, ...)>("openat64")(dir, path, flags, mode);
}

int creat(const char* path, mode_t mode) {
    if (failHere("creat", path)) return failWith(ENOSPC);
    return real<int (*)(const char*, mode_t)>("creat")(path, mode);
}

FILE* fopen(const char* path, const char* mode) {
    if (failHere("fopen", path)) {
        errno = std::strpbrk(mode, "wa+") ? ENOSPC : EIO;
        return nullptr;
    }
    return real<FILE* (*)(const char*, const char*)>("fopen")(path, mode);
}

FILE* fopen64(const char* path, const char* mode) {
    if (failHere("fopen64", path)) {
        errno = std::strpbrk(mode, "wa+") ? ENOSPC : EIO;
        return nullptr;
    }
    return real<FILE* (*)(const char*, const char*)>("fopen64")(path, mode);
}

ssize_t read(int fd, void* buffer, size_t size) {
    if (failHere("read", nullptr, fd)) return failWith(EIO);
    return real<ssize_t (*)(int, void*, size_t)>("read")(fd, buffer, size);
}

ssize_t write(int fd, const void* buffer, size_t size) {
    if (failHere("write", nullptr, fd)) return failWith(ENOSPC);
    return real<ssize_t (*)(int, const void*, size_t)>("write")(fd, buffer, size);
}

ssize_t writev(int fd, const struct iovec* parts, int count) {
    if (failHere("writev", nullptr, fd)) return failWith(ENOSPC);
    return real<ssize_t (*)(int, const struct iovec*, int)>("writev")(fd, parts, count);
}

ssize_t sendfile(int out, int in, off_t* offset, size_t count) {
    if (failHere("sendfile", nullptr, out)) return failWith(ENOSPC);
    return real<ssize_t (*)(int, int, off_t*, size_t)>("sendfile")(out, in, offset, count);
}

ssize_t copy_file_range(int in, off64_t* inOffset, int out, off64_t* outOffset, size_t count,
                        unsigned flags) {
    if (failHere("copy_file_range", nullptr, out)) return failWith(ENOSPC);
    return real<ssize_t (*)(int, off64_t*, int, off64_t*, size_t, unsigned)>("copy_file_range")(
        in, inOffset, out, outOffset, count, flags);
}

// A failing stdio read or write sets the stream's error indicator, as the real one would.
size_t fread(void* buffer, size_t size, size_t count, FILE* file) {
    if (failHere("fread", nullptr, fileno(file))) {
        file->_flags |= _IO_ERR_SEEN;
        errno = EIO;
        return 0;
    }
    return real<size_t (*)(void*, size_t, size_t, FILE*)>("fread")(buffer, size, count, file);
}

size_t fwrite(const void* buffer, size_t size, size_t count, FILE* file) {
    if (failHere("fwrite", nullptr, fileno(file))) {
        file->_flags |= _IO_ERR_SEEN;
        errno = ENOSPC;
        return 0;
    }
    return real<size_t (*)(const void*, size_t, size_t, FILE*)>("fwrite")(buffer, size, count,
                                                                          file);
}

int fflush(FILE* file) {
    if (file && failHere("fflush", nullptr, fileno(file))) return failWith(ENOSPC);
    return real<int (*)(FILE*)>("fflush")(file);
}

// A close that fails still closes, as on a full disk whose last buffer could not be written.
int fclose(FILE* file) {
    const bool fail = failHere("fclose", nullptr, fileno(file));
    const int rc = real<int (*)(FILE*)>("fclose")(file);
    return fail ? failWith(ENOSPC) : rc;
}

int close(int fd) {
    const bool fail = failHere("close", nullptr, fd);
    const int rc = real<int (*)(int)>("close")(fd);
    return fail ? failWith(EIO) : rc;
}

int fsync(int fd) {
    if (failHere("fsync", nullptr, fd)) return failWith(EIO);
    return real<int (*)(int)>("fsync")(fd);
}

int fdatasync(int fd) {
    if (failHere("fdatasync", nullptr, fd)) return failWith(EIO);
    return real<int (*)(int)>("fdatasync")(fd);
}

int ftruncate(int fd, off_t size) {
    if (failHere("ftruncate", nullptr, fd)) return failWith(ENOSPC);
    return real<int (*)(int, off_t)>("ftruncate")(fd, size);
}

int fchmod(int fd, mode_t mode) {
    if (failHere("fchmod", nullptr, fd)) return failWith(EIO);
    return real<int (*)(int, mode_t)>("fchmod")(fd, mode);
}

int mkstemp(char* pattern) {
    if (failHere("mkstemp", pattern)) return failWith(ENOSPC);
    return real<int (*)(char*)>("mkstemp")(pattern);
}

int mkdir(const char* path, mode_t mode) {
    if (failHere("mkdir", path)) return failWith(ENOSPC);
    return real<int (*)(const char*, mode_t)>("mkdir")(path, mode);
}

int rename(const char* from, const char* to) {
    if (failHere("rename", to)) return failWith(EIO);
    return real<int (*)(const char*, const char*)>("rename")(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    if (failHere("renameat", to)) return failWith(EIO);
    return real<int (*)(int, const char*, int, const char*)>("renameat")(fromDir, from, toDir, to);
}

int unlink(const char* path) {
    if (failHere("unlink", path)) return failWith(EIO);
    return real<int (*)(const char*)>("unlink")(path);
}

int unlinkat(int dir, const char* path, int flags) {
    if (failHere("unlinkat", path)) return failWith(EIO);
    return real<int (*)(int, const char*, int)>("unlinkat")(dir, path, flags);
}

int remove(const char* path) {
    if (failHere("remove", path)) return failWith(EIO);
    return real<int (*)(const char*)>("remove")(path);
}

int rmdir(const char* path) {
    if (failHere("rmdir", path)) return failWith(EIO);
    return real<int (*)(const char*)>("rmdir")(path);
}

}  // extern "C"
