#pragma once
// The toolkit's own message box, folder dialog and file dialog, opened over the window.

#include "src/platform/dialogs.h"

class QWidget;

namespace tovrin {

class SystemDialogs : public Dialogs {
public:
    explicit SystemDialogs(QWidget* owner) : owner_(owner) {}

    void messageBox(const std::string& text, const std::string& title, MessageIcon icon) override;
    bool chooseFolder(std::string* path) override;
    bool chooseOpenFile(const std::string& title, const std::string& filter,
                        const std::string& defaultExt, std::string* path) override;

private:
    QWidget* owner_;
};

}  // namespace tovrin
