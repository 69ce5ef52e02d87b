#pragma once
// The wizard's one window: the Qt widgets behind the window seam. Each signal is connected
// to its procedure in one line; the procedures themselves live outside this folder.

#include <QWidget>
#include <functional>
#include <map>

#include "src/package/wizard.h"
#include "src/platform/window.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace tovrin {

class EntryList;

class Form1 : public QWidget, public Window {
public:
    Form1(const std::string& appFolder, ScriptStarter& starter);

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
    void messageBox(const std::string& text, const std::string& title, MessageIcon icon) override;
    bool chooseFolder(std::string* path) override;
    bool chooseOpenFile(const std::string& title, const std::string& filter,
                        const std::string& defaultExt, std::string* path) override;

    // The one place where modal boxes and dialogs appear. A test sets these to observe and
    // answer them instead of showing anything.
    std::function<void(const std::string& text, const std::string& title, MessageIcon)> messageHook;
    std::function<bool(std::string* path)> folderHook;
    std::function<bool(const std::string& title, std::string* path)> openFileHook;

    QWidget* widget(Control c) const;
    QTimer* timer(Control c) const;
    Wizard& wizard() { return wizard_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QRect twips(int left, int top, int width, int height) const;
    void createControls();
    void connectEvents();
    EntryList* list() const;

    Wizard wizard_;
    double scale_;  // pixels per 15 twips
    std::map<Control, QWidget*> widgets_;
    QTimer* timer1_;
    QTimer* timer2_;
};

}  // namespace tovrin
