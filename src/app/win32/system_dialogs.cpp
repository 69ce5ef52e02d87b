#include "src/app/win32/system_dialogs.h"

#include "src/app/win32/open_file_dialog.h"
#include "src/platform/shell_folder_dialog.h"

namespace tovrin {

void SystemDialogs::messageBox(const std::string& text, const std::string& title,
                               MessageIcon icon) {
    MessageBoxA(owner_, text.c_str(), title.c_str(),
                MB_OK | (icon == MessageIcon::Error ? MB_ICONERROR : MB_ICONINFORMATION));
}

bool SystemDialogs::chooseFolder(std::string* path) { return shellChooseFolder(owner_, path); }

bool SystemDialogs::chooseOpenFile(const std::string& title, const std::string& filter,
                                   const std::string& defaultExt, std::string* path) {
    return askOpenFile(owner_, title, filter, defaultExt, path);
}

}  // namespace tovrin
