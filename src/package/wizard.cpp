#include "src/package/wizard.h"

namespace tovrin {

void enterBusyState(Window& w) {
    w.setEnabled(Control::Form1, false);
    w.setVisible(Control::Frame1, true);
}

void leaveBusyState(Window& w) {
    w.setEnabled(Control::Form1, true);
    w.setVisible(Control::Frame1, false);
    // The focus went when the window was disabled; it comes back to the button that started
    // the command, so a keyboard user carries on where they were.
    w.setFocus(Control::cmdDo);
}

bool isBusy(const Window& w) { return !w.enabled(Control::Form1); }

void reportError(Window& w, const std::string& message) {
    w.dialogs().messageBox(message, "Error", MessageIcon::Error);
}

bool mayClose(const Wizard& wizard) {
    const Window& w = wizard.window;
    return w.enabled(Control::Form1) && !w.enabled(Control::Timer1) && !w.enabled(Control::Timer2);
}

}  // namespace tovrin
