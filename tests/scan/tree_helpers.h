#pragma once
// Helpers for the walk's tests: paths written with "\" as in the documents, turned into the
// host's separator, and links that may not be creatable on every host.

#include <filesystem>
#include <string>
#include <vector>

#include "src/platform/path.h"

namespace tovrin::test {

inline std::string native(std::string text) {
    for (char& ch : text)
        if (ch == '\\') ch = kSeparator;
    return text;
}

inline std::vector<std::string> native(const std::vector<std::string>& texts) {
    std::vector<std::string> out;
    for (const std::string& t : texts) out.push_back(native(t));
    return out;
}

// A link at `at` naming `target` (as written, relative or absolute). False when the host
// refuses, as Windows does without the right to make links.
inline bool makeLink(const std::string& target, const std::filesystem::path& at, bool toFolder) {
    std::error_code ec;
    if (toFolder)
        std::filesystem::create_directory_symlink(target, at, ec);
    else
        std::filesystem::create_symlink(target, at, ec);
    return !ec;
}

}  // namespace tovrin::test
