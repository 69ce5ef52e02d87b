#pragma once
// Dialogs for the tests: message boxes are recorded, and the folder and file dialogs are
// answered from queues filled beforehand, so nothing modal ever opens. A dialog opened with
// no answer waiting is a fault of the test and throws.

#include <deque>
#include <string>
#include <vector>

#include "src/platform/dialogs.h"

namespace tovrin::test {

struct ShownMessage {
    std::string text;
    std::string title;
    MessageIcon icon;
};

class AnsweredDialogs : public Dialogs {
public:
    void messageBox(const std::string& text, const std::string& title, MessageIcon icon) override;
    bool chooseFolder(std::string* path) override;
    bool chooseOpenFile(const std::string& title, const std::string& filter,
                        const std::string& defaultExt, std::string* path) override;

    std::vector<ShownMessage> messages;
    // Answers for the dialogs, taken from the front; an answer not chosen means cancel.
    struct Answer {
        bool chosen;
        std::string path;
    };
    std::deque<Answer> folderAnswers;
    std::deque<Answer> fileAnswers;
    // What the file dialog was asked for, one entry per call: title, filter, default extension.
    std::vector<std::vector<std::string>> fileDialogCalls;
};

}  // namespace tovrin::test
