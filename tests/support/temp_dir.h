#pragma once
// A fresh temporary folder per test, removed with everything in it at the end.

#include <filesystem>
#include <string>
#include <vector>

namespace tovrin::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

    // Creates a file (and its folders) below the temporary folder with the given bytes.
    std::filesystem::path write(const std::string& relative, const std::string& bytes) const;

private:
    std::filesystem::path path_;
};

// The whole content of a file, or "<missing>" when it cannot be read.
std::string readFile(const std::filesystem::path& file);

// Writes a file named in local 8-bit text, as the wizard's texts are, and its folders.
void writeFile(const std::string& path, const std::string& bytes);

// The names in a folder, sorted.
std::vector<std::string> folderNames(const std::filesystem::path& folder);

}  // namespace tovrin::test
