#pragma once
// 8-bit text output with CR LF after every line. Each open, write and close is checked;
// a failure leaves an error text naming the file.

#include <cstdio>
#include <string>

namespace tovrin {

class TextFile {
public:
    TextFile() = default;
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;
    ~TextFile();

    // Creates the file, or empties it when it exists.
    bool open(const std::string& path);
    bool writeLine(const std::string& line);  // the line, then CR LF
    bool close();                             // true also when nothing was open
    const std::string& error() const { return error_; }

private:
    bool fail(const char* what);

    std::FILE* file_ = nullptr;
    std::string path_;
    std::string error_;
};

// Writes a whole file of lines: opens, writes each line, closes.
bool writeTextFile(const std::string& path, const std::string* lines, std::size_t count,
                   std::string* error);

}  // namespace tovrin
