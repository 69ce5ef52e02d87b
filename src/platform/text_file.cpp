#include "src/platform/text_file.h"

#include <cerrno>
#include <cstring>

namespace tovrin {

TextFile::~TextFile() {
    if (file_) std::fclose(file_);
}

bool TextFile::fail(const char* what) {
    error_ = std::string("Cannot ") + what + " " + path_;
    if (errno) error_ += std::string(": ") + std::strerror(errno);
    return false;
}

bool TextFile::open(const std::string& path) {
    close();
    path_ = path;
    errno = 0;
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) return fail("create");
    // A package script may run to megabytes: fewer, larger writes.
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
    return true;
}

bool TextFile::writeLine(const std::string& line) {
    if (!file_) return fail("write");
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() ||
        std::fwrite("\r\n", 1, 2, file_) != 2)
        return fail("write");
    return true;
}

bool TextFile::close() {
    if (!file_) return true;
    errno = 0;
    int rc = std::fclose(file_);
    file_ = nullptr;
    return rc == 0 ? true : fail("write");
}

bool writeTextFile(const std::string& path, const std::string* lines, std::size_t count,
                   std::string* error) {
    TextFile file;
    bool ok = file.open(path);
    for (std::size_t i = 0; ok && i < count; ++i) ok = file.writeLine(lines[i]);
    ok = file.close() && ok;
    if (!ok && error) *error = file.error();
    return ok;
}

}  // namespace tovrin
