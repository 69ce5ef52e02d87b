#pragma once
// The system's own message box, the shell's folder dialog and the common file dialog, each
// modal to the window.

#include <windows.h>

#include "src/platform/dialogs.h"

namespace tovrin {

class SystemDialogs : public Dialogs {
public:
    explicit SystemDialogs(HWND owner) : owner_(owner) {}

    void messageBox(const std::string& text, const std::string& title, MessageIcon icon) override;
    bool chooseFolder(std::string* path) override;
    bool chooseOpenFile(const std::string& title, const std::string& filter,
                        const std::string& defaultExt, std::string* path) override;

private:
    HWND owner_;
};

}  // namespace tovrin
