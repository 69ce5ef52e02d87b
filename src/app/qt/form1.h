#pragma once
// The wizard's one window: Qt widgets built from the design table. The procedures see them
// through the window seam (controls()); each signal is connected to its procedure in one line,
// and the procedures themselves live outside this folder.

#include <QWidget>
#include <map>
#include <memory>

#include "src/package/wizard.h"
#include "src/platform/window.h"

class QTimer;

namespace tovrin {

class Form1 : public QWidget {
public:
    // Boxes and dialogs go to `dialogs`, or to the toolkit's own when none is given.
    Form1(const std::string& appFolder, ScriptStarter& starter, Dialogs* dialogs = nullptr);
    ~Form1() override;

    // The window seam over these widgets, as the procedures read and change them. It is an
    // object of its own so that its names (setEnabled, setVisible, setFocus) leave the
    // widget's own alone.
    Window& controls();

    QWidget* widget(Control c) const;
    QTimer* timer(Control c) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class Controls;

    QRect twips(int left, int top, int width, int height) const;
    void createControls();
    void connectEvents();

    std::unique_ptr<Dialogs> systemDialogs_;  // when none were handed over
    std::unique_ptr<Controls> controls_;
    Wizard wizard_;
    double scale_;  // pixels per 15 twips
    std::map<Control, QWidget*> widgets_;
    QTimer* timer1_;
    QTimer* timer2_;
};

}  // namespace tovrin
