#pragma once
// Finds the source files a script names: relative to the current folder, then in the search
// folder given with -d. Scripts written on Windows separate folders with "\"; elsewhere a
// name not found as written is tried again with every "\" read as "/" (a "\" can be part of
// a file name there, so the name as written comes first).

#include <filesystem>
#include <string>

#include "tools/makesis/pkg_model.h"

namespace tovrin::makesis {

class SourceLookup {
public:
    // `base`, when not empty, stands for the current folder: relative names are looked up
    // below it. The names a package shows do not change.
    explicit SourceLookup(std::u16string searchFolder, std::filesystem::path base = {})
        : searchFolder_(std::move(searchFolder)), base_(std::move(base)) {}

    // False when no regular file answers to the name.
    bool find(const std::u16string& written, Source& found) const;

private:
    std::filesystem::path located(const std::filesystem::path& path) const;

    std::u16string searchFolder_;
    std::filesystem::path base_;
};

// The file-system path for a text (on POSIX hosts its bytes, see nameBytes; UTF-16 on
// Windows).
std::filesystem::path pathFromText(const std::u16string& text);

}  // namespace tovrin::makesis
