#pragma once
// Finds files as Windows and the phone would, without regard to letter case: folder by folder,
// each name of a path matched against the entries of the folder found so far. Letters fold by
// Unicode's simple case folding where a name is UTF-8, ASCII letters only in other bytes.

#include <filesystem>
#include <string>
#include <vector>

namespace tovrin::makesis {

// Every regular file below `folder` (the current folder when empty) whose path is `names`
// (folder names, then the file's), sorted. "." and ".." are taken as they are.
std::vector<std::filesystem::path> caseBlindMatches(
    const std::filesystem::path& folder, const std::vector<std::filesystem::path>& names);

}  // namespace tovrin::makesis
