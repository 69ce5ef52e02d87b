#pragma once
// The window seam: what the wizard's procedures need from the user-interface toolkit,
// over the controls of the one window by their names. The Qt window (Linux) and the Win32
// window (Windows) implement it for the program; the tests implement it in memory. All texts
// are 8-bit text in the host's local encoding, as the generated files are.

#include <string>
#include <vector>

#include "src/platform/dialogs.h"

namespace tovrin {

// The controls in rows, as the window shows them.
// clang-format off
enum class Control {
    Form1,  // the window itself: enabled or disabled as a whole
    Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9,
    txtProjPath, txtDest, txtName, txtUID, txtVer, txtMin, txtBuild,
    CmbLang, ckSupp, List1, Frame1,
    cmdBrowse, cmdDestFol, cmdDo, Command1, Command2, readUi,
    Timer1, Timer2,
};
// clang-format on

class Window {
public:
    virtual ~Window() = default;

    // Text of a text box, label, button or check box caption; for CmbLang the text of the
    // selected entry (empty when nothing is selected).
    virtual std::string text(Control c) const = 0;
    virtual void setText(Control c, const std::string& text) = 0;

    // Check box value: 0 clear, 1 ticked, 2 greyed.
    virtual int value(Control c) const = 0;

    virtual bool enabled(Control c) const = 0;  // controls and timers
    virtual void setEnabled(Control c, bool on) = 0;
    virtual bool visible(Control c) const = 0;
    virtual void setVisible(Control c, bool on) = 0;

    // Gives the keyboard focus to a control. Disabling the window takes the focus away.
    virtual void setFocus(Control c) = 0;

    // The file list List1: unsorted, single selection.
    virtual void listClear() = 0;
    virtual void listAdd(const std::vector<std::string>& entries) = 0;  // appended in order
    virtual int listCount() const = 0;
    virtual std::string listItem(int index) const = 0;
    virtual void listSelect(int index) = 0;

    // The language box CmbLang: appends an entry. The caller hands the entries over in the
    // order the box shows them; the box itself sorts nothing.
    virtual void comboAdd(const std::string& entry) = 0;

    // The boxes and dialogs the window was handed, opened over it.
    virtual Dialogs& dialogs() = 0;
};

}  // namespace tovrin
