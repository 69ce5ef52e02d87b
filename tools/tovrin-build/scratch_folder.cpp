#include "tools/tovrin-build/scratch_folder.h"

#include <cstdio>
#include <random>

#include "src/platform/local_text.h"
#include "src/platform/path.h"

namespace tovrin::build {

ScratchFolder::~ScratchFolder() {
    if (path_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

bool ScratchFolder::create(std::string* error) {
    std::error_code ec;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    if (ec) {
        *error = "cannot find the temporary folder: " + ec.message();
        return false;
    }
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "tovrin-build-%08x", static_cast<unsigned>(random()));
        // create_directory is false without an error when the folder is there already.
        if (std::filesystem::create_directory(temp / name, ec)) {
            path_ = temp / name;
            return true;
        }
        if (ec) break;
    }
    *error = "cannot create a scratch folder in " + localText(temp) +
             (ec ? ": " + ec.message() : std::string());
    return false;
}

std::string ScratchFolder::file(const std::string& name) const {
    return localText(path_) + kSeparator + name;
}

}  // namespace tovrin::build
