#include "src/platform/user_folder.h"

#ifdef _WIN32
#include <windows.h>
#include <shlobj.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

#include <cstdlib>

#include "src/platform/local_text.h"

namespace tovrin {

std::string userFolder(UserFolder which) {
    const bool cache = which == UserFolder::Cache;
#ifdef _WIN32
    const char* named = std::getenv(cache ? "LOCALAPPDATA" : "APPDATA");
    const int folderId = cache ? CSIDL_LOCAL_APPDATA : CSIDL_APPDATA;
#else
    const char* named = std::getenv(cache ? "XDG_CACHE_HOME" : "XDG_CONFIG_HOME");
    const char* below = cache ? ".cache" : ".config";
#endif
#ifdef _WIN32
    std::string base = named ? named : "";
    char found[MAX_PATH] = {};
    if (base.empty() &&
        SUCCEEDED(SHGetFolderPathA(nullptr, folderId, nullptr, SHGFP_TYPE_CURRENT, found)))
        base = found;
    if (base.empty()) return {};
    if (endsWithCharacter(base, '\\') || endsWithCharacter(base, '/')) base.pop_back();
    return base + "\\Tovrin";
#else
    if (named && named[0] == '/') return std::string(named) + "/tovrin";
    const char* home = std::getenv("HOME");
    std::string base = home ? home : "";
    if (base.empty()) {
        const passwd* user = getpwuid(getuid());
        if (user && user->pw_dir) base = user->pw_dir;
    }
    if (base.empty()) return {};
    if (base.back() == '/') base.pop_back();
    return base + "/" + below + "/tovrin";
#endif
}

}  // namespace tovrin
