#pragma once
// The package is written under a temporary name in its own folder and renamed over the final
// name only when it is complete: a failed build leaves no output behind, and an earlier file
// of the same name stays as it was.

#include <filesystem>
#include <fstream>
#include <string>

namespace tovrin::makesis {

class PendingFile {
public:
    explicit PendingFile(std::filesystem::path target);
    ~PendingFile();  // removes the temporary file unless it was committed
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    bool open(std::string* err);
    std::ofstream& stream() { return out_; }
    // A free name beside the target, for other scratch files of the same build.
    const std::filesystem::path& stem() const { return stem_; }
    // Closes the file and renames it to the target.
    bool commit(std::string* err);

private:
    std::filesystem::path target_;
    std::filesystem::path stem_;
    std::filesystem::path temp_;
    std::ofstream out_;
    bool committed_ = false;
};

}  // namespace tovrin::makesis
