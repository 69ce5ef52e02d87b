#include "src/sis/package_stamp.h"

#include <cstdio>
#include <memory>

#include <sys/stat.h>

#include "src/sis/sis_format.h"

namespace tovrin {

PackageStamp stampOf(const std::string& path) {
    PackageStamp stamp;
#ifdef _WIN32
    struct _stat64 info;  // sizes beyond 2 GiB
    if (::_stat64(path.c_str(), &info) != 0 || !(info.st_mode & _S_IFREG)) return stamp;
#else
    struct stat info;
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return stamp;
#endif
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         std::fclose);
    if (!file) return stamp;
    char field[2];
    std::size_t got = 0;
    if (std::fseek(file.get(), sis::header::kChecksum, SEEK_SET) == 0)
        got = std::fread(field, 1, sizeof field, file.get());
    // A read error is not a short file: a stamp of what could not be read would tell a whole
    // package from itself.
    if (std::ferror(file.get())) return stamp;
    stamp.exists = true;
    stamp.size = static_cast<std::uint64_t>(info.st_size);
    stamp.checksum.assign(field, got);
    stamp.written = static_cast<std::int64_t>(info.st_mtime);
    return stamp;
}

}  // namespace tovrin
