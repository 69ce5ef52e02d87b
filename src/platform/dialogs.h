#pragma once
// The modal boxes and dialogs the wizard's procedures open. Each window is handed one: the
// system's own dialogs in the program, answers prepared beforehand in the tests, so that no
// test blocks on a box. Texts are 8-bit text in the host's local encoding.

#include <string>

namespace tovrin {

enum class MessageIcon { Information, Error };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal message box with one OK button; returns when it is closed.
    virtual void messageBox(const std::string& text, const std::string& title,
                            MessageIcon icon) = 0;

    // Modal folder dialog starting at the top of the folder tree, file-system folders only.
    // Returns the chosen folder's path as the platform gives it, or false on cancel.
    virtual bool chooseFolder(std::string* path) = 0;

    // Modal file-open dialog. Returns the chosen file's full path, or false on cancel.
    virtual bool chooseOpenFile(const std::string& title, const std::string& filter,
                                const std::string& defaultExt, std::string* path) = 0;
};

}  // namespace tovrin
