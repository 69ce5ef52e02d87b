#include "src/app/form_design.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace tovrin {

const char* const kFormTitle = "Tovrin Wizard by Quen";
const char* const kBusyFontFamily = "MS Sans Serif";

namespace {

using K = ControlKind;
using C = Control;

// One control a row.
// clang-format off
// control, kind, text, left, top, width, height, tab, limit, enabled, visible, value, interval
const std::vector<ControlDesign> kDesign = {
    {C::Label8, K::Label, "Project path:", 120, 120, 975, 255, 15, 0, true, true, 0, 0},
    {C::txtProjPath, K::TextBox, "", 1080, 120, 4575, 285, 16, 0, false, true, 0, 0},
    {C::cmdBrowse, K::Button, "...", 5760, 120, 375, 255, 17, 0, true, true, 0, 0},
    {C::Label9, K::Label, "Dest. folder:", 120, 600, 975, 255, 22, 0, true, true, 0, 0},
    {C::txtDest, K::TextBox, "", 1080, 600, 4575, 285, 23, 0, false, true, 0, 0},
    {C::cmdDestFol, K::Button, "...", 5760, 600, 375, 255, 24, 0, true, true, 0, 0},
    {C::Label1, K::Label, "Select language:", 120, 1080, 1455, 255, 1, 0, true, true, 0, 0},
    {C::CmbLang, K::ComboBox, "", 1680, 1080, 4455, 315, 0, 0, true, true, 0, 0},
    {C::Label2, K::Label, "Name of the program:", 120, 1560, 1695, 255, 2, 0, true, true, 0, 0},
    {C::txtName, K::TextBox, "Name", 1800, 1560, 4335, 285, 3, 24, true, true, 0, 0},
    {C::Label3, K::Label, "UID:", 1080, 2040, 375, 255, 4, 0, true, true, 0, 0},
    {C::txtUID, K::TextBox, "01000000", 1440, 2040, 855, 285, 5, 8, true, true, 0, 0},
    {C::Command2, K::Button, "?", 2400, 2040, 255, 255, 6, 0, true, true, 0, 0},
    {C::readUi, K::Button, "Take from a file", 2760, 2040, 1935, 255, 25, 0, true, true, 0, 0},
    {C::ckSupp, K::CheckBox, "Support all symbians", 120, 2520, 1815, 255, 13, 0, true, true, 1, 0},
    {C::Label4, K::Label, "Ver.:", 3360, 2520, 375, 255, 7, 0, true, true, 0, 0},
    {C::txtVer, K::TextBox, "1", 3720, 2520, 255, 285, 8, 1, true, true, 0, 0},
    {C::Label5, K::Label, "Min.:", 4200, 2520, 375, 255, 11, 0, true, true, 0, 0},
    {C::txtMin, K::TextBox, "0", 4560, 2520, 255, 285, 9, 1, true, true, 0, 0},
    {C::Label6, K::Label, "Build:", 5040, 2520, 375, 255, 12, 0, true, true, 0, 0},
    {C::txtBuild, K::TextBox, "0", 5520, 2520, 255, 285, 10, 1, true, true, 0, 0},
    {C::List1, K::ListBox, "", 120, 3000, 6015, 4350, 14, 0, true, true, 0, 0},
    {C::Frame1, K::Frame, "", 1800, 3600, 2415, 1455, 20, 0, true, false, 0, 0},
    {C::Label7, K::Label, "Working Hard...", 120, 240, 2175, 1095, 21, 0, true, true, 0, 0},
    {C::cmdDo, K::Button, "Create .sis file", 120, 7440, 2175, 375, 18, 0, true, true, 0, 0},
    {C::Command1, K::Button, "About", 4440, 7440, 1695, 375, 19, 0, true, true, 0, 0},
    {C::Timer1, K::Timer, "", 0, 0, 0, 0, -1, 0, false, false, 0, 700},
    {C::Timer2, K::Timer, "", 0, 0, 0, 0, -1, 0, false, false, 0, 500},
};
// clang-format on

// Names for the controls whose captions say nothing of what they do.
struct OwnName {
    Control control;
    const char* name;
};
const OwnName kOwnNames[] = {{C::List1, "Files to package"},
                             {C::cmdBrowse, "Choose the project folder"},
                             {C::cmdDestFol, "Choose the destination folder"}};

bool takesFocus(const ControlDesign& d) {
    return d.kind != K::Label && d.kind != K::Frame && d.kind != K::Timer;
}

}  // namespace

const std::vector<ControlDesign>& formDesign() { return kDesign; }

const ControlDesign& designOf(Control c) {
    for (const ControlDesign& d : kDesign)
        if (d.control == c) return d;
    throw std::out_of_range("no such control in the design");
}

int textRoomTwips(const ControlDesign& d) {
    if (d.kind != K::Label) return d.width;
    int room = d.width;  // a label alone in its row has its own width
    bool found = false;
    for (const ControlDesign& next : kDesign) {
        if (next.kind == K::Timer || next.top != d.top || next.left <= d.left) continue;
        if (!found || next.left - d.left < room) room = next.left - d.left;
        found = true;
    }
    return room;
}

const ControlDesign* labelOf(Control c) {
    const ControlDesign& d = designOf(c);
    if (d.kind != K::TextBox && d.kind != K::ComboBox) return nullptr;
    if (&d == &kDesign.front() || (&d - 1)->kind != K::Label) return nullptr;
    return &d - 1;
}

std::string accessibleName(Control c) {
    for (const OwnName& own : kOwnNames)
        if (own.control == c) return own.name;
    if (const ControlDesign* label = labelOf(c)) {
        std::string name = label->text;
        if (!name.empty() && name.back() == ':') name.pop_back();
        return name;
    }
    const ControlDesign& d = designOf(c);
    return d.kind == K::CheckBox ? d.text : "";
}

std::vector<Control> tabOrder() {
    std::vector<ControlDesign> focusable;
    std::copy_if(kDesign.begin(), kDesign.end(), std::back_inserter(focusable), takesFocus);
    std::sort(
        focusable.begin(), focusable.end(),
        [](const ControlDesign& a, const ControlDesign& b) { return a.tabIndex < b.tabIndex; });
    std::vector<Control> order;
    for (const ControlDesign& d : focusable) order.push_back(d.control);
    return order;
}

}  // namespace tovrin
