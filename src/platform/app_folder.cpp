#include "src/platform/app_folder.h"

#ifdef _WIN32
#include <windows.h>

#include "src/platform/local_text.h"
#else
#include <unistd.h>
#include <climits>
#endif

namespace tovrin {

std::string applicationFolder() {
#ifdef _WIN32
    char buf[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string exe(buf, n);
    return exe.substr(0, findLastCharacterOf(exe, "\\/"));  // 5C may end a double-byte character
#else
    char buf[PATH_MAX + 1];
    ssize_t n = readlink("/proc/self/exe", buf, PATH_MAX);
    if (n <= 0) return ".";
    std::string exe(buf, static_cast<size_t>(n));
    std::string folder = exe.substr(0, exe.find_last_of('/'));
    return folder.empty() ? "/" : folder;
#endif
}

}  // namespace tovrin
