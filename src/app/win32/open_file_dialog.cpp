#include "src/app/win32/open_file_dialog.h"

#include <commdlg.h>

#include <algorithm>

namespace tovrin {

bool askOpenFile(HWND owner, const std::string& title, const std::string& filter,
                 const std::string& defaultExt, std::string* path) {
    // The filter is pairs of text and pattern, each ending in NUL, the list in a second NUL.
    const std::string filters = filter + '\0' + filter + '\0' + '\0';
    // The dialog wants the extension alone, without "*." or ".".
    const std::string ext =
        defaultExt.substr(std::min(defaultExt.find_first_not_of("*."), defaultExt.size()));

    char file[MAX_PATH] = {};
    OPENFILENAMEA settings = {};
    settings.lStructSize = sizeof settings;
    settings.hwndOwner = owner;
    settings.lpstrFilter = filters.c_str();
    settings.nFilterIndex = 1;
    settings.lpstrFile = file;
    settings.nMaxFile = sizeof file;
    settings.lpstrTitle = title.c_str();
    settings.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    settings.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&settings)) return false;
    *path = file;
    return true;
}

}  // namespace tovrin
