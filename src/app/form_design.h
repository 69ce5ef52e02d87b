#pragma once
// The window as it was designed: every control's kind, caption or initial text, place and size,
// tab place and initial settings. Every window implementation builds itself from this table,
// and the tests' in-memory window starts from it, so all of them open in the same state.

#include <string>
#include <vector>

#include "src/platform/window.h"

namespace tovrin {

enum class ControlKind { Label, TextBox, ComboBox, CheckBox, ListBox, Frame, Button, Timer };

struct ControlDesign {
    Control control;
    ControlKind kind;
    const char* text;  // caption, or initial text; "" for none
    // Left, top, width and height in twips (1/1440 inch; 15 twips make a pixel at 96 dpi),
    // inside the window's client area; Label7's inside Frame1.
    int left, top, width, height;
    int tabIndex;   // place in the tab order; labels, the frame and the timers take no focus
    int maxLength;  // characters a text box takes; 0 for no limit
    bool enabled;   // a timer: running
    bool visible;
    int value;     // check box: 0 clear, 1 ticked, 2 greyed
    int interval;  // timer: milliseconds
};

extern const char* const kFormTitle;   // "Tovrin Wizard by Quen"
constexpr int kFormWidthTwips = 6285;  // client area
constexpr int kFormHeightTwips = 7935;
// The size of the dialog font the layout was drawn for; every control but Label7 uses it.
constexpr int kDialogFontPoints = 8;
// Label7, the busy panel's text: its own font.
extern const char* const kBusyFontFamily;
constexpr int kBusyFontPoints = 24;

// Every control, top to bottom as the window shows them, then the two timers.
const std::vector<ControlDesign>& formDesign();
const ControlDesign& designOf(Control c);

// The width in twips the layout gives a control's caption or initial text: a label's may run
// into the gap before the next control in its row, any other control's is its own width.
int textRoomTwips(const ControlDesign& d);

// The label beside a text box or the combo box, which names it: the label right before it in
// the design. Nothing for any other control.
const ControlDesign* labelOf(Control c);

// The name a screen reader gives a control, the same in every window: a box's label without
// its colon, the check box's caption, and for the list and the two "..." buttons, whose
// captions say nothing, a name of their own. "" for the other controls, which their captions
// name.
std::string accessibleName(Control c);

// The controls that take the focus, in tab order (the focus starts on the first). A disabled
// control in it is passed over by the toolkit.
std::vector<Control> tabOrder();

}  // namespace tovrin
