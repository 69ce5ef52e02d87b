#pragma once
// An in-memory window for the flows' tests: controls hold what a real window's controls would
// hold, and its boxes and dialogs are the tests' answered ones (recorded, answered from queues
// instead of blocking).

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "src/platform/window.h"
#include "tests/support/answered_dialogs.h"

namespace tovrin::test {

class FakeWindow : public Window, public AnsweredDialogs {
public:
    FakeWindow();  // the design-time state of the window

    std::string text(Control c) const override { return find(texts_, c, std::string()); }
    void setText(Control c, const std::string& text) override { texts_[c] = text; }
    int value(Control c) const override { return find(values_, c, 0); }
    bool enabled(Control c) const override { return find(enabled_, c, true); }
    void setEnabled(Control c, bool on) override;
    bool visible(Control c) const override { return find(visible_, c, true); }
    void setVisible(Control c, bool on) override;
    void setFocus(Control c) override { focused_ = c; }
    void listClear() override;
    void listAdd(const std::vector<std::string>& entries) override {
        list_.insert(list_.end(), entries.begin(), entries.end());
    }
    int listCount() const override { return static_cast<int>(list_.size()); }
    std::string listItem(int index) const override { return list_.at(std::size_t(index)); }
    void listSelect(int index) override;
    void comboAdd(const std::string& entry) override { combo_.push_back(entry); }
    Dialogs& dialogs() override { return *this; }

    // Test controls.
    void setValue(Control c, int v) { values_[c] = v; }
    void selectLanguage(const std::string& entry) { texts_[Control::CmbLang] = entry; }
    const std::vector<std::string>& comboEntries() const { return combo_; }
    const std::vector<std::string>& listEntries() const { return list_; }
    int selectedIndex() const { return selected_; }
    // The control with the focus; none while the window is disabled or after it was.
    std::optional<Control> focused() const { return focused_; }

    // Every change of Form1's enabled state and Frame1's visibility, in order, as "Form1=1".
    std::vector<std::string> stateLog;

private:
    template <class T>
    static T find(const std::map<Control, T>& values, Control c, T otherwise) {
        auto it = values.find(c);
        return it == values.end() ? otherwise : it->second;
    }

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
