#include "tests/support/answered_dialogs.h"

#include <stdexcept>

namespace tovrin::test {
namespace {

bool answer(std::deque<AnsweredDialogs::Answer>& answers, const char* dialog, std::string* path) {
    if (answers.empty()) throw std::logic_error(std::string(dialog) + " opened without an answer");
    const AnsweredDialogs::Answer a = answers.front();
    answers.pop_front();
    if (a.chosen) *path = a.path;
    return a.chosen;
}

}  // namespace

void AnsweredDialogs::messageBox(const std::string& text, const std::string& title,
                                 MessageIcon icon) {
    messages.push_back({text, title, icon});
}

bool AnsweredDialogs::chooseFolder(std::string* path) {
    return answer(folderAnswers, "folder dialog", path);
}

bool AnsweredDialogs::chooseOpenFile(const std::string& title, const std::string& filter,
                                     const std::string& defaultExt, std::string* path) {
    fileDialogCalls.push_back({title, filter, defaultExt});
    return answer(fileAnswers, "file dialog", path);
}

}  // namespace tovrin::test
