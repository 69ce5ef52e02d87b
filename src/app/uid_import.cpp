#include "src/app/uid_import.h"

#include "src/package/wizard.h"
#include "src/platform/window.h"
#include "src/sis/uid_text.h"

namespace tovrin {

void readUi_Click(Window& w) {
    if (isBusy(w)) return;  // no UID is taken while a build runs
    std::string path;
    if (!w.dialogs().chooseOpenFile("Open a sis file", "*.sis", "*.sis", &path)) return;
    std::string uid;
    if (!readUidText(path, &uid)) {
        w.dialogs().messageBox("Cannot read " + path, "Error", MessageIcon::Error);
        return;
    }
    w.setText(Control::txtUID, uid);
}

}  // namespace tovrin
