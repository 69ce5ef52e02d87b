#include "src/platform/shell_folder_dialog.h"

#ifdef _WIN32

#include <algorithm>

#include <windows.h>
#include <shlobj.h>

namespace tovrin {

bool shellChooseFolder(void* ownerWindowHandle, std::string* path) {
    HWND owner = static_cast<HWND>(ownerWindowHandle);

    // When the desktop cannot be looked up the dialog opens at its own default root.
    LPITEMIDLIST desktop = nullptr;
    if (SHGetSpecialFolderLocation(owner, CSIDL_DESKTOP, &desktop) != 0) desktop = nullptr;

    char displayName[MAX_PATH] = {};  // written by the dialog, never read
    BROWSEINFOA settings = {};
    settings.hwndOwner = owner;
    settings.pidlRoot = desktop;
    settings.pszDisplayName = displayName;
    settings.lpszTitle = nullptr;
    settings.ulFlags = BIF_RETURNONLYFSDIRS;
    settings.lpfn = nullptr;
    settings.lParam = 0;

    LPITEMIDLIST chosen = SHBrowseForFolderA(&settings);
    if (desktop) CoTaskMemFree(desktop);
    if (!chosen) return false;

    // An item without a file-system path leaves the buffer all NUL: the path is then empty.
    char buffer[MAX_PATH] = {};
    SHGetPathFromIDListA(chosen, buffer);
    CoTaskMemFree(chosen);
    path->assign(buffer, std::find(buffer, buffer + sizeof buffer, '\0'));
    return true;
}

}  // namespace tovrin

#endif
