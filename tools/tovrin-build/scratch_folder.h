#pragma once
// A folder of one run's own below the system's temporary folder, removed with everything in
// it when the run ends: builds running side by side (make -j) never share a file.

#include <filesystem>
#include <string>

namespace tovrin::build {

class ScratchFolder {
public:
    ScratchFolder() = default;
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool create(std::string* error);
    // A file of the folder by its name, in local 8-bit text as the package script needs it.
    std::string file(const std::string& name) const;

private:
    std::filesystem::path path_;
};

}  // namespace tovrin::build
