#include "src/sis/byte_source.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace tovrin::sis {

bool MemorySource::read(uint64_t offset, void* out, size_t count) {
    if (offset > size_ || count > size_ - offset) return false;
    if (count > 0) std::memcpy(out, data_ + offset, count);
    return true;
}

bool FileSource::open(const std::string& path, std::string* err) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        *err = "is a folder, not a package";
        return false;
    }
    in_.open(path, std::ios::binary);
    if (!in_) {
        *err = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    in_.seekg(0, std::ios::end);
    const std::streamoff end = in_.tellg();
    if (!in_ || end < 0) {
        *err = "cannot read the file's size";
        return false;
    }
    size_ = static_cast<uint64_t>(end);
    return true;
}

bool FileSource::read(uint64_t offset, void* out, size_t count) {
    if (offset > size_ || count > size_ - offset) return false;
    if (count == 0) return true;
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(offset));
    in_.read(static_cast<char*>(out), static_cast<std::streamsize>(count));
    return in_.gcount() == static_cast<std::streamsize>(count);
}

}  // namespace tovrin::sis
