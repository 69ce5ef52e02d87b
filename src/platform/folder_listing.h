#pragma once
// The folder-listing seam: the entries of one folder, as the host's folder search gives them.
// The folder walk decides what to do with them (which names to skip, in which order to take
// them, which folders to enter); this only reads.

#include <cstdint>
#include <string>
#include <vector>

namespace tovrin {

// On Windows the search reads every name in UTF-16 and gives it in the ANSI code page, exactly,
// never a best-fit look-alike: each character the code page lacks comes as this mark, which no
// Windows name holds. Elsewhere a name comes as it stands and may hold the mark itself.
inline constexpr char kMissingCharacterMark = '?';
#ifdef _WIN32
inline constexpr bool kNamesMarkMissingCharacters = true;
#else
inline constexpr bool kNamesMarkMissingCharacters = false;
#endif

struct FolderEntry {
    // The name in local text (see kMissingCharacterMark). On Windows NULs follow it up to the
    // length of the 8-bit search record's fixed name field; the walk cuts it at the first NUL.
    std::string name;
    // A folder, or a link to a folder. Everything else counts as a file, a dangling link too.
    bool isFolder;
};

// What tells two paths to the same folder apart from two different folders: the device and
// inode on POSIX, the volume serial number and file index on Windows.
struct FolderId {
    std::uint64_t volume = 0;
    std::uint64_t node = 0;
    bool known = false;  // false when the host would not say; such a folder matches nothing
};

bool sameFolder(const FolderId& a, const FolderId& b);

// Lists `folder`, a path that ends in the native separator. On success appends every entry,
// "." and ".." included when the host yields them, in the host's order, sets *id and returns
// true. Returns false when the folder cannot be listed (missing, not a folder, no access,
// path too long); *entries is then unchanged.
bool listFolder(const std::string& folder, std::vector<FolderEntry>* entries, FolderId* id);

}  // namespace tovrin
