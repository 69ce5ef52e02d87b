#include "src/app/uid_import.h"

#include <fstream>

#include "src/package/wizard.h"
#include "src/platform/window.h"
#include "src/sis/uid_text.h"

namespace tovrin {

void readUi_Click(Window& w) {
    if (isBusy(w)) return;  // no UID is taken while a build runs
    std::string path;
    if (!w.dialogs().chooseOpenFile("Open a sis file", "*.sis", "*.sis", &path)) return;
    std::ifstream in(path, std::ios::binary);
    char header[32];
    if (in) in.read(header, sizeof header);
    if (!in && !in.eof()) {
        w.dialogs().messageBox("Cannot read " + path, "Error", MessageIcon::Error);
        return;
    }
    w.setText(Control::txtUID, uidText(std::string(header, static_cast<std::size_t>(in.gcount()))));
}

}  // namespace tovrin
