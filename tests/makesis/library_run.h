#pragma once
// Runs the compiler library's entry with a temporary folder as the current folder.

#include <filesystem>
#include <string>
#include <vector>

namespace tovrin::test {

struct LibraryRun {
    int status = -1;
    std::string out;
    // The lines of `out` that hold " : error: " or start with "error: ".
    std::vector<std::string> errorLines() const;
};

LibraryRun runInFolder(const std::filesystem::path& folder, const std::vector<std::string>& args);

}  // namespace tovrin::test
