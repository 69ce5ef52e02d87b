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

std::string userFolder(const UserFolderKind& kind, const std::string& linuxName,
                       const std::string& windowsName) {
#ifdef _WIN32
    const char* named = std::getenv(kind.windowsVariable);
    std::string base = named ? named : "";
    char found[MAX_PATH] = {};
    if (base.empty() &&
        SUCCEEDED(SHGetFolderPathA(nullptr, kind.windowsFolderId, nullptr, SHGFP_TYPE_CURRENT,
                                   found)))
        base = found;
    if (base.empty()) return {};
    if (endsWithCharacter(base, '\\') || endsWithCharacter(base, '/')) base.pop_back();
    return base + "\\" + windowsName;
#else
    const char* named = std::getenv(kind.xdgVariable);
    if (named && named[0] == '/') return std::string(named) + "/" + linuxName;
    const char* home = std::getenv("HOME");
    std::string base = home ? home : "";
    if (base.empty()) {
        const passwd* user = getpwuid(getuid());
        if (user && user->pw_dir) base = user->pw_dir;
    }
    if (base.empty()) return {};
    if (base.back() == '/') base.pop_back();
    return base + "/" + kind.homeFallback + "/" + linuxName;
#endif
}

}  // namespace tovrin
