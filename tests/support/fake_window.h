#pragma once
// An in-memory window for the flows' tests: controls hold what the Qt window would hold,
// message boxes and dialogs are recorded and answered from queues instead of blocking.

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "src/platform/window.h"

namespace tovrin::test {

struct ShownMessage {
    std::string text;
    std::string title;
    MessageIcon icon;
};

class FakeWindow : public Window {
public:
    FakeWindow();  // the design-time state of the window

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
    void messageBox(const std::string& text, const std::string& title, MessageIcon icon) override;
    bool chooseFolder(std::string* path) override;
    bool chooseOpenFile(const std::string& title, const std::string& filter,
                        const std::string& defaultExt, std::string* path) override;

    // Test controls.
    void setValue(Control c, int v) { values_[c] = v; }
    void selectLanguage(const std::string& entry) { texts_[Control::CmbLang] = entry; }
    const std::vector<std::string>& comboEntries() const { return combo_; }
    const std::vector<std::string>& listEntries() const { return list_; }
    int selectedIndex() const { return selected_; }
    // The control with the focus; none while the window is disabled or after it was.
    std::optional<Control> focused() const { return focused_; }

    std::vector<ShownMessage> messages;
    // Answers for the dialogs, taken from the front; an empty optional answer means cancel.
    struct Answer {
        bool chosen;
        std::string path;
    };
    std::deque<Answer> folderAnswers;
    std::deque<Answer> fileAnswers;
    // What the file dialog was asked for, one entry per call: title, filter, default extension.
    std::vector<std::vector<std::string>> fileDialogCalls;
    // Every change of Form1's enabled state and Frame1's visibility, in order, as "Form1=1".
    std::vector<std::string> stateLog;

private:
    std::map<Control, std::string> texts_;
    std::map<Control, int> values_;
    std::map<Control, bool> enabled_;
    std::map<Control, bool> visible_;
    std::vector<std::string> list_;
    std::vector<std::string> combo_;
    int selected_ = -1;
    std::optional<Control> focused_;
};

}  // namespace tovrin::test
