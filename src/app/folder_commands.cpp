#include "app/folder_commands.h"

#include "platform/path.h"
#include "platform/window.h"
#include "scan/scan_project_folder.h"

namespace tovrin {

std::string AskFolder(Window& window) {
    std::string path;
    if (!window.chooseFolder(&path)) return std::string();
    return path + kSeparator;
}

void cmdBrowse_Click(Window& window) {
    window.setText(Control::txtProjPath, AskFolder(window));
    ScanProjectFolder(window);  // after a cancel too: it then only empties the list
    window.setText(Control::txtDest, window.text(Control::txtProjPath));
}

void cmdDestFol_Click(Window& window) {
    window.setText(Control::txtDest, AskFolder(window));
}

}  // namespace tovrin
