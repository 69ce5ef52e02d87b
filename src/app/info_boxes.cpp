#include "src/app/info_boxes.h"

#include <string>

#include "src/package/package_script.h"
#include "src/package/wizard.h"

namespace tovrin {

const char* const kUidInfoText =
    "The application UID is a unique identifier for the application. UIDs are fundamental "
    "to Symbian and must be used correctly: their uniqueness is guaranteed because they are "
    "allocated centrally, from a single database kept by a central allocating authority. "
    "The only exception is a reserved range that developers may use during development, "
    "but never in released software.\r\n\r\n"
    "During development temporary UIDs may be chosen from the range 0x01000000 to 0x0fffffff. "
    "Clashes must still be avoided, within a development team and between projects, including "
    "old projects still installed on the emulator or on a phone: a UID clash may stop a "
    "program from loading, typically with Not Found errors.";

// Like every command of the window, neither box opens while a build runs.
void Command1_Click(Window& w) {
    if (isBusy(w)) return;
    const std::string text =
        std::string("Tovrin 0.9 by Quen\r\n\r\nPlease send bugs and suggestion to:\r\n") +
        kContactAddress + "\r\n\r\nMore functions to come";
    w.dialogs().messageBox(text, "About", MessageIcon::Information);
}

void Command2_Click(Window& w) {
    if (isBusy(w)) return;
    w.dialogs().messageBox(kUidInfoText, "UID Info", MessageIcon::Information);
}

}  // namespace tovrin
