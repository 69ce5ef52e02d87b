#include "tests/support/fake_window.h"

#include <stdexcept>

#include "src/app/form_design.h"

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

void FakeWindow::setEnabled(Control c, bool on) {
    enabled_[c] = on;
    if (c == Control::Form1) stateLog.push_back(std::string("Form1=") + (on ? "1" : "0"));
    if (c == Control::Form1 && !on) focused_.reset();
}

void FakeWindow::setVisible(Control c, bool on) {
    visible_[c] = on;
    if (c == Control::Frame1) stateLog.push_back(std::string("Frame1=") + (on ? "1" : "0"));
}

void FakeWindow::listClear() {
    list_.clear();
    selected_ = -1;
}

void FakeWindow::listSelect(int index) {
    if (index < 0 || index >= listCount()) throw std::out_of_range("listSelect");
    selected_ = index;
}

}  // namespace tovrin::test
