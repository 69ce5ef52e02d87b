#include "src/app/win32/form1.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <utility>

#include "src/app/folder_commands.h"
#include "src/app/form_design.h"
#include "src/app/info_boxes.h"
#include "src/app/uid_import.h"
#include "src/app/win32/accessible_names.h"
#include "src/app/win32/entry_list.h"
#include "src/app/win32/resources.h"
#include "src/app/win32/system_dialogs.h"
#include "src/delivery/ticks.h"
#include "src/package/create_command.h"
#include "src/platform/code_page.h"
#include "src/platform/work_folder.h"

namespace tovrin {
namespace {

const char kWindowClass[] = "TovrinWizard";
const char kPanelClass[] = "TovrinBusyPanel";
const UINT kApplySelection = WM_APP + 1;  // the file list's waiting selection
const int kFirstId = 100;                 // control ids: kFirstId + the control's number
const int kDropDownTwips = 2700;          // the language box's open list: about a dozen entries

int idOf(Control c) { return kFirstId + static_cast<int>(c); }
Control controlOf(WPARAM id) { return static_cast<Control>(static_cast<int>(id) - kFirstId); }

// Twips to pixels at the screen's real resolution.
struct Pixels {
    int dpiX, dpiY;
    int x(int twips) const { return MulDiv(twips, dpiX, 1440); }
    int y(int twips) const { return MulDiv(twips, dpiY, 1440); }
};

Pixels screenPixels() {
    HDC screen = GetDC(nullptr);
    const Pixels px{GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
    ReleaseDC(nullptr, screen);
    return px;
}

// The busy panel: white, and its label drawn black on white in every state of the window.
LRESULT CALLBACK panelProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_CTLCOLORSTATIC) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    return DefWindowProcA(hwnd, message, wp, lp);
}

void registerClasses(WNDPROC windowProc) {
    static const bool registered = [windowProc] {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        HINSTANCE instance = GetModuleHandleA(nullptr);

        WNDCLASSEXA window = {};
        window.cbSize = sizeof window;
        window.lpfnWndProc = windowProc;
        window.hInstance = instance;
        window.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(TOVRIN_ICON));
        window.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(TOVRIN_ICON),
                                                       IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
        window.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        window.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        window.lpszClassName = kWindowClass;

        WNDCLASSEXA panel = {};
        panel.cbSize = sizeof panel;
        panel.lpfnWndProc = panelProc;
        panel.hInstance = instance;
        panel.hCursor = window.hCursor;
        panel.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        panel.lpszClassName = kPanelClass;
        return RegisterClassExA(&window) && RegisterClassExA(&panel);
    }();
    if (!registered) throw std::runtime_error("cannot register the window classes");
}

struct ChildKind {
    const char* windowClass;
    DWORD style;
    DWORD exStyle;
};

ChildKind childKind(const ControlDesign& d) {
    switch (d.kind) {
    case ControlKind::Label:
        // A caption stays on its row; only the busy panel's large text wraps.
        return {"Static",
                DWORD(d.control == Control::Label7 ? SS_CENTER : SS_LEFTNOWORDWRAP) | SS_NOPREFIX,
                0};
    case ControlKind::TextBox: return {"Edit", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::ComboBox: return {"ComboBox", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
    case ControlKind::CheckBox: return {"Button", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::ListBox:
        return {"ListBox", LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::Frame: return {kPanelClass, WS_BORDER, 0};
    case ControlKind::Button: return {"Button", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::Timer: break;
    }
    throw std::logic_error("a timer has no window");
}

}  // namespace

Form1::Form1(const std::string& appFolder, ScriptStarter& starter, Dialogs* dialogs)
    : wizard_{*this, appFolder, chooseWorkFolder(appFolder), starter, nullptr, nullptr, {}},
      dialogs_(dialogs) {
    registerClasses(windowProc);
    const Pixels px = screenPixels();
    // A fixed border, no minimise or maximise button.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    RECT frame = {0, 0, px.x(kFormWidthTwips), px.y(kFormHeightTwips)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    CreateWindowExA(0, kWindowClass, kFormTitle, style, CW_USEDEFAULT, CW_USEDEFAULT,
                    frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                    GetModuleHandleA(nullptr), this);
    if (!window_) throw std::runtime_error("cannot create the window");
    if (!dialogs_) {
        systemDialogs_ = std::make_unique<SystemDialogs>(window_);
        dialogs_ = systemDialogs_.get();
    }
    createControls();
}

Form1::~Form1() {
    names_.reset();  // its names go before their controls
    if (window_) DestroyWindow(window_);
    if (dialogFont_) DeleteObject(dialogFont_);
    if (busyFont_) DeleteObject(busyFont_);
}

void Form1::createControls() {
    const Pixels px = screenPixels();
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    // The default GUI font at the 8 points the layout was drawn for, measured at the real
    // resolution (the stock font keeps its 96-dpi size on a larger screen).
    LOGFONTA font = {};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfHeight = -MulDiv(kDialogFontPoints, px.dpiY, 72);
    font.lfWidth = 0;
    dialogFont_ = CreateFontIndirectA(&font);
    busyFont_ = CreateFontA(-MulDiv(kBusyFontPoints, px.dpiY, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                            FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, kBusyFontFamily);
    if (!dialogFont_ || !busyFont_) throw std::runtime_error("cannot create the window's fonts");

    // Made in tab order, which is the order in which Tab visits them (the labels, taking no
    // focus, fall in between). A box's label comes right before the box, so that the
    // system's accessibility layer names the box from it. Frame1 comes before Label7, which
    // lies inside it.
    std::map<Control, int> labelPlace;  // a box's label takes the box's place, just before it
    for (const ControlDesign& d : formDesign())
        if (const ControlDesign* label = labelOf(d.control))
            labelPlace[label->control] = d.tabIndex;
    auto place = [&labelPlace](const ControlDesign& d) {
        const auto label = labelPlace.find(d.control);
        return label == labelPlace.end() ? std::make_pair(d.tabIndex, 1)
                                         : std::make_pair(label->second, 0);
    };
    names_ = std::make_unique<AccessibleNames>();
    std::vector<ControlDesign> designs = formDesign();
    std::stable_sort(
        designs.begin(), designs.end(),
        [&place](const ControlDesign& a, const ControlDesign& b) { return place(a) < place(b); });
    for (const ControlDesign& d : designs) {
        if (d.kind == ControlKind::Timer) {
            timerRunning_[d.control] = false;
            setEnabled(d.control, d.enabled);
            continue;
        }
        const ChildKind kind = childKind(d);
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | kind.style;
        if (d.visible) style |= WS_VISIBLE;
        if (!d.enabled) style |= WS_DISABLED;
        const int x = px.x(d.left), y = px.y(d.top);
        const int width = px.x(d.left + d.width) - x;
        int height = px.y(d.top + d.height) - y;
        if (d.kind == ControlKind::ComboBox)
            height += px.y(kDropDownTwips);  // the closed box keeps the font's height
        HWND parent = d.control == Control::Label7 ? controls_.at(Control::Frame1) : window_;
        const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(idOf(d.control)));
        HWND child = nullptr;
        if (d.kind == ControlKind::TextBox) {
            // A Unicode edit control: its limit counts characters, where an ANSI one counts
            // bytes in a double-byte code page (a name of 24 Chinese characters would stop at
            // 12). Its text still comes and goes in the ANSI code page through the A functions.
            std::wstring text;
            wideFromCodePage(GetACP(), d.text, &text);  // the design's texts are ASCII
            child = CreateWindowExW(kind.exStyle, L"Edit", text.c_str(), style, x, y, width, height,
                                    parent, id, instance, nullptr);
        } else {
            child = CreateWindowExA(kind.exStyle, kind.windowClass, d.text, style, x, y, width,
                                    height, parent, id, instance, nullptr);
        }
        if (!child) throw std::runtime_error(std::string("cannot create the control ") + d.text);
        HFONT childFont = d.control == Control::Label7 ? busyFont_ : dialogFont_;
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(childFont), FALSE);
        if (d.kind == ControlKind::TextBox) {
            // Narrow margins, so that eight UID digits fit the width the layout gives them.
            SendMessageA(child, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(1, 1));
            if (d.maxLength) SendMessageA(child, EM_LIMITTEXT, static_cast<WPARAM>(d.maxLength), 0);
        }
        if (d.kind == ControlKind::CheckBox)
            SendMessageA(child, BM_SETCHECK, static_cast<WPARAM>(d.value), 0);
        controls_[d.control] = child;
        // The "..." buttons and the list: their captions say nothing of what they do.
        const std::string name = accessibleName(d.control);
        if ((d.kind == ControlKind::Button || d.kind == ControlKind::ListBox) && !name.empty() &&
            name != d.text)
            names_->set(child, name);
    }
    // The busy panel covers the list, so it is drawn above it.
    SetWindowPos(controls_.at(Control::Frame1), HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    list_ = std::make_unique<EntryList>(controls_.at(Control::List1), window_, kApplySelection);
    savedFocus_ = controls_.at(tabOrder().front());
}

void Form1::show(int how) {
    ShowWindow(window_, how);
    UpdateWindow(window_);
}

bool Form1::isDialogMessage(MSG* message) {
    // A disabled window takes no keys: Tab must not hand the focus to one of its controls.
    return window_ && IsWindowEnabled(window_) && IsDialogMessageA(window_, message);
}

LRESULT CALLBACK Form1::windowProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        form->window_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcA(hwnd, message, wp, lp);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        form->window_ = nullptr;
        return DefWindowProcA(hwnd, message, wp, lp);
    }
    return form->handleMessage(message, wp, lp);
}

LRESULT Form1::handleMessage(UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED) onClick(controlOf(LOWORD(wp)));
        return 0;
    case WM_TIMER: onTimer(controlOf(wp)); return 0;
    case kApplySelection: list_->applySelection(); return 0;
    case DM_GETDEFID: {
        // IsDialogMessage asks this on Enter: the push button with the focus is the one pressed.
        HWND focus = GetFocus();
        if (focus && IsChild(window_, focus) &&
            (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON))
            return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
        return 0;
    }
    case WM_ACTIVATE:
        // The focus is kept across a message box or another program, as in a dialog box.
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(window_, focus)) savedFocus_ = focus;
        }
        break;
    case WM_SETFOCUS:
        if (savedFocus_ && IsWindowEnabled(window_) && IsWindowEnabled(savedFocus_) &&
            IsWindowVisible(savedFocus_))
            SetFocus(savedFocus_);
        return 0;
    case WM_CLOSE:
        // A build in flight still has to deliver and clean up: closing waits until it is idle.
        if (mayClose(wizard_)) {
            DestroyWindow(window_);
            PostQuitMessage(0);  // the program ends with its window
        }
        return 0;
    }
    return DefWindowProcA(window_, message, wp, lp);
}

void Form1::onClick(Control c) {
    // A control of a disabled window may still hold the focus or be sent a click: the commands
    // themselves do nothing while a build runs.
    switch (c) {
    case Control::cmdDo: return cmdDo_Click(wizard_);
    case Control::cmdBrowse: return cmdBrowse_Click(*this);
    case Control::cmdDestFol: return cmdDestFol_Click(*this);
    case Control::readUi: return readUi_Click(*this);
    case Control::Command1: return Command1_Click(*this);
    case Control::Command2: return Command2_Click(*this);
    default: return;  // the check box ticks itself; nothing else clicks
    }
}

void Form1::onTimer(Control c) {
    if (c == Control::Timer1) Timer1_Timer(wizard_);
    if (c == Control::Timer2) Timer2_Timer(wizard_);
}

HWND Form1::handle(Control c) const {
    if (c == Control::Form1) return window_;
    auto it = controls_.find(c);
    return it == controls_.end() ? nullptr : it->second;
}

std::string Form1::text(Control c) const {
    HWND w = handle(c);
    if (!w) return {};
    if (c == Control::CmbLang) {
        const LRESULT selected = SendMessageA(w, CB_GETCURSEL, 0, 0);
        const LRESULT length =
            selected == CB_ERR ? CB_ERR : SendMessageA(w, CB_GETLBTEXTLEN, selected, 0);
        if (length == CB_ERR) return {};
        std::string entry(static_cast<std::size_t>(length) + 1, '\0');
        entry.resize(static_cast<std::size_t>(std::max<LRESULT>(
            0, SendMessageA(w, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(entry.data())))));
        return entry;
    }
    if (IsWindowUnicode(w)) {
        // A text box: a character the code page lacks comes as "?", never as a look-alike
        // ("l" for "ł"), so that the checks refuse it instead of building under another name.
        std::wstring wide(static_cast<std::size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
        wide.resize(static_cast<std::size_t>(
            GetWindowTextW(w, wide.data(), static_cast<int>(wide.size()))));
        return codePageFromWideMarked(GetACP(), wide, '?');
    }
    std::string s(static_cast<std::size_t>(GetWindowTextLengthA(w)) + 1, '\0');
    s.resize(static_cast<std::size_t>(GetWindowTextA(w, s.data(), static_cast<int>(s.size()))));
    return s;
}

void Form1::setText(Control c, const std::string& text) {
    if (c == Control::CmbLang || c == Control::List1) return;  // their texts are their entries
    if (HWND w = handle(c)) SetWindowTextA(w, text.c_str());
}

int Form1::value(Control c) const {
    if (c == Control::Form1 || designOf(c).kind != ControlKind::CheckBox) return 0;
    const LRESULT state = SendMessageA(handle(c), BM_GETCHECK, 0, 0);
    return state == BST_CHECKED ? 1 : state == BST_INDETERMINATE ? 2 : 0;
}

bool Form1::enabled(Control c) const {
    auto timer = timerRunning_.find(c);
    if (timer != timerRunning_.end()) return timer->second;
    HWND w = handle(c);
    return w && IsWindowEnabled(w);
}

void Form1::setEnabled(Control c, bool on) {
    auto timer = timerRunning_.find(c);
    if (timer == timerRunning_.end()) {
        HWND w = handle(c);
        if (!w) return;
        // Windows leaves the focus on a control of a window it disables: take it away.
        HWND focus = GetFocus();
        if (!on && focus && (focus == w || IsChild(w, focus))) SetFocus(nullptr);
        EnableWindow(w, on);
        return;
    }
    if (on && !timer->second)
        timer->second = SetTimer(window_, idOf(c), designOf(c).interval, nullptr) != 0;
    if (!on && timer->second) {
        KillTimer(window_, idOf(c));
        timer->second = false;
    }
}

bool Form1::visible(Control c) const {
    HWND w = handle(c);
    return w && (GetWindowLongPtrA(w, GWL_STYLE) &
                 WS_VISIBLE);  // its own setting, whatever its parent's
}

void Form1::setVisible(Control c, bool on) {
    if (HWND w = handle(c)) ShowWindow(w, on ? SW_SHOWNA : SW_HIDE);
}

void Form1::setFocus(Control c) {
    if (HWND w = handle(c)) SetFocus(w);
}

void Form1::listClear() { list_->clear(); }

void Form1::listAdd(const std::vector<std::string>& entries) { list_->append(entries); }

int Form1::listCount() const { return list_->count(); }

std::string Form1::listItem(int index) const { return list_->entry(index); }

void Form1::listSelect(int index) { list_->select(index); }

void Form1::comboAdd(const std::string& entry) {
    // Without CBS_SORT the entry goes last; adding selects nothing.
    SendMessageA(handle(Control::CmbLang), CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(entry.c_str()));
}

}  // namespace tovrin
