#pragma once
// The per-user folders Tovrin keeps its own files in, found as each host's conventions say.

#include <string>

namespace tovrin {

// Where one kind of per-user file lives.
struct UserFolderKind {
    const char* xdgVariable;     // Linux: the variable naming the base folder (XDG_CACHE_HOME)
    const char* homeFallback;    // Linux: below the home folder when that variable is unset
    const char* windowsVariable; // Windows: the variable naming the base folder (LOCALAPPDATA)
    int windowsFolderId;         // Windows: the CSIDL asked for when that variable is unset
};

// The base folder of `kind` followed by `name` ("tovrin" on Linux, "Tovrin" on Windows, as each
// host spells its folders), without a final separator; empty when the host names no such place.
// A Linux variable that is not an absolute path is ignored, as the XDG rules say.
std::string userFolder(const UserFolderKind& kind, const std::string& linuxName,
                       const std::string& windowsName);

}  // namespace tovrin
