#include "tests/support/fake_window.h"

#include "src/app/form_design.h"

#include <algorithm>
#include <stdexcept>

namespace tovrin::test {

FakeWindow::FakeWindow() {
    for (const ControlDesign& d : formDesign()) {
        texts_[d.control] = d.text;
        values_[d.control] = d.value;
        enabled_[d.control] = d.enabled;
        visible_[d.control] = d.visible;
    }
    focused_ = tabOrder().front();
}

std::string FakeWindow::text(Control c) const {
    auto it = texts_.find(c);
    return it == texts_.end() ? std::string() : it->second;
}

void FakeWindow::setText(Control c, const std::string& text) { texts_[c] = text; }

int FakeWindow::value(Control c) const {
    auto it = values_.find(c);
    return it == values_.end() ? 0 : it->second;
}

bool FakeWindow::enabled(Control c) const {
    auto it = enabled_.find(c);
    return it == enabled_.end() ? true : it->second;
}

void FakeWindow::setEnabled(Control c, bool on) {
    enabled_[c] = on;
    if (c == Control::Form1) stateLog.push_back(std::string("Form1=") + (on ? "1" : "0"));
    if (c == Control::Form1 && !on) focused_.reset();
}

bool FakeWindow::visible(Control c) const {
    auto it = visible_.find(c);
    return it == visible_.end() ? true : it->second;
}

void FakeWindow::setVisible(Control c, bool on) {
    visible_[c] = on;
    if (c == Control::Frame1) stateLog.push_back(std::string("Frame1=") + (on ? "1" : "0"));
}

void FakeWindow::setFocus(Control c) { focused_ = c; }

void FakeWindow::listClear() {
    list_.clear();
    selected_ = -1;
}

void FakeWindow::listAdd(const std::vector<std::string>& entries) {
    list_.insert(list_.end(), entries.begin(), entries.end());
}

int FakeWindow::listCount() const { return static_cast<int>(list_.size()); }

std::string FakeWindow::listItem(int index) const { return list_.at(static_cast<size_t>(index)); }

void FakeWindow::listSelect(int index) {
    if (index < 0 || index >= listCount()) throw std::out_of_range("listSelect");
    selected_ = index;
}

void FakeWindow::comboAdd(const std::string& entry) { combo_.push_back(entry); }

void FakeWindow::messageBox(const std::string& text, const std::string& title, MessageIcon icon) {
    messages.push_back({text, title, icon});
}

bool FakeWindow::chooseFolder(std::string* path) {
    if (folderAnswers.empty()) throw std::logic_error("folder dialog opened without an answer");
    Answer a = folderAnswers.front();
    folderAnswers.pop_front();
    if (a.chosen) *path = a.path;
    return a.chosen;
}

bool FakeWindow::chooseOpenFile(const std::string& title, const std::string& filter,
                                const std::string& defaultExt, std::string* path) {
    fileDialogCalls.push_back({title, filter, defaultExt});
    if (fileAnswers.empty()) throw std::logic_error("file dialog opened without an answer");
    Answer a = fileAnswers.front();
    fileAnswers.pop_front();
    if (a.chosen) *path = a.path;
    return a.chosen;
}

}  // namespace tovrin::test
