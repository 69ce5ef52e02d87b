#pragma once
// The wizard's one window on Windows: Win32 controls behind the window seam, built from the
// design table. Each event is connected to its procedure in one line; the procedures live
// outside this folder.

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "src/package/wizard.h"
#include "src/platform/window.h"

namespace tovrin {

class AccessibleNames;
class EntryList;

class Form1 : public Window {
public:
    // Creates the window and its controls, hidden, with the focus waiting on the first
    // control of the tab order. Boxes and dialogs go to `dialogs`, or to the system's own when
    // none is given.
    Form1(const std::string& appFolder, ScriptStarter& starter, Dialogs* dialogs = nullptr);
    ~Form1() override;
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    void show(int how = SW_SHOW);
    // For the message loop: Tab, Space and Enter reach the controls as in a dialog box.
    bool isDialogMessage(MSG* message);

    // Window seam.
    std::string text(Control c) const override;
    void setText(Control c, const std::string& text) override;
    int value(Control c) const override;
    bool enabled(Control c) const override;
    void setEnabled(Control c, bool on) override;
    bool visible(Control c) const override;
    void setVisible(Control c, bool on) override;
    void setFocus(Control c) override;
    void listClear() override;
    void listAdd(const std::vector<std::string>& entries) override;
    int listCount() const override;
    std::string listItem(int index) const override;
    void listSelect(int index) override;
    void comboAdd(const std::string& entry) override;
    Dialogs& dialogs() override { return *dialogs_; }

    // The window itself for Control::Form1, a control's window, or null for the timers.
    HWND handle(Control c = Control::Form1) const;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp);
    LRESULT handleMessage(UINT message, WPARAM wp, LPARAM lp);
    void createControls();
    void onClick(Control c);
    void onTimer(Control c);

    Wizard wizard_;
    HWND window_ = nullptr;
    std::unique_ptr<Dialogs> systemDialogs_;  // when none were handed over
    Dialogs* dialogs_ = nullptr;
    std::map<Control, HWND> controls_;
    std::map<Control, bool> timerRunning_;
    std::unique_ptr<EntryList> list_;
    std::unique_ptr<AccessibleNames> names_;
    HFONT dialogFont_ = nullptr;
    HFONT busyFont_ = nullptr;
    HWND savedFocus_ = nullptr;  // the control that had the focus when the window went inactive
};

}  // namespace tovrin
