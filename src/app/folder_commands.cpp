#include "src/app/folder_commands.h"

#include "src/package/wizard.h"
#include "src/platform/path.h"
#include "src/platform/window.h"
#include "src/scan/scan_project_folder.h"

namespace tovrin {

std::string AskFolder(Window& window) {
    std::string path;
    if (!window.dialogs().chooseFolder(&path)) return std::string();
    return path + kSeparator;
}

// Neither command starts while a build runs: the delivery still reads the destination box.
void cmdBrowse_Click(Window& window) {
    if (isBusy(window)) return;
    const std::string folder = AskFolder(window);
    window.setText(Control::txtProjPath, folder);
    ScanProjectFolder(window, folder);  // after a cancel too: it then only empties the list
    window.setText(Control::txtDest, folder);
}

void cmdDestFol_Click(Window& window) {
    if (isBusy(window)) return;
    window.setText(Control::txtDest, AskFolder(window));
}

}  // namespace tovrin
