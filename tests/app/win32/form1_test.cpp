// The Win32 window itself, in this process: the controls it builds from the design, limits,
// tab order and dialog keys, the wiring of each event to its procedure, the file list and the
// busy state. The window is handed the tests' answered dialogs, so nothing modal opens unless a
// test asks for the real ones.

#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>
#include <ole2.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "src/app/form_design.h"
#include "src/app/info_boxes.h"
#include "src/app/start_up.h"
#include "src/app/win32/form1.h"
#include "src/app/win32/resources.h"
#include "src/app/win32/system_dialogs.h"
#include "src/platform/local_text.h"
#include "src/platform/path.h"
#include "tests/support/answered_dialogs.h"
#include "tests/support/build_fixture.h"
#include "tests/support/fake_starter.h"
#include "tests/support/temp_dir.h"

using namespace tovrin;

namespace {

// The tests' answered dialogs; once `system` is set, the folder and file dialogs are the real
// ones while message boxes are still recorded.
struct TestDialogs : test::AnsweredDialogs {
    Dialogs* system = nullptr;
    bool chooseFolder(std::string* path) override {
        return system ? system->chooseFolder(path) : AnsweredDialogs::chooseFolder(path);
    }
    bool chooseOpenFile(const std::string& title, const std::string& filter,
                        const std::string& defaultExt, std::string* path) override {
        return system ? system->chooseOpenFile(title, filter, defaultExt, path)
                      : AnsweredDialogs::chooseOpenFile(title, filter, defaultExt, path);
    }
};

int pixelsX(int twips) {
    HDC screen = GetDC(nullptr);
    const int px = MulDiv(twips, GetDeviceCaps(screen, LOGPIXELSX), 1440);
    ReleaseDC(nullptr, screen);
    return px;
}

int pixelsY(int twips) {
    HDC screen = GetDC(nullptr);
    const int px = MulDiv(twips, GetDeviceCaps(screen, LOGPIXELSY), 1440);
    ReleaseDC(nullptr, screen);
    return px;
}

std::string classOf(HWND w) {
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

std::string textOf(HWND w) {
    char text[256] = {};
    GetWindowTextA(w, text, sizeof text);
    return text;
}

// A child's place inside its parent's client area.
RECT placeOf(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

LONG_PTR styleOf(HWND w) { return GetWindowLongPtrA(w, GWL_STYLE); }

LOGFONTA fontOf(HWND w) {
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HGDIOBJ>(SendMessageA(w, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// Answers the next dialog owned by `owner` from a timer that ticks inside its modal loop.
struct DialogAnswer {
    HWND owner;
    std::function<void(HWND dialog)> fill;  // then OK is pressed
    HWND dialog = nullptr;                  // once answered
    bool refused = false;                   // it answered with a box of its own and was cancelled
};
DialogAnswer* pendingAnswer = nullptr;

HWND dialogOwnedBy(HWND owner) {
    HWND dialog = FindWindowExA(nullptr, nullptr, "#32770", nullptr);
    while (dialog && GetWindow(dialog, GW_OWNER) != owner)
        dialog = FindWindowExA(nullptr, dialog, "#32770", nullptr);
    return dialog;
}

void CALLBACK answerDialog(HWND, UINT, UINT_PTR, DWORD) {
    DialogAnswer* a = pendingAnswer;
    if (!a) return;
    if (!a->dialog) {
        a->dialog = dialogOwnedBy(a->owner);
        if (a->dialog) {
            a->fill(a->dialog);
            PostMessageA(a->dialog, WM_COMMAND, IDOK, 0);
        }
    } else if (HWND box = dialogOwnedBy(a->dialog)) {
        a->refused = true;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        PostMessageA(a->dialog, WM_COMMAND, IDCANCEL, 0);
    }
}

// Clicks the button and answers the dialog it opens.
void clickAndAnswer(HWND button, DialogAnswer* answer) {
    pendingAnswer = answer;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, answerDialog);
    SendMessageA(button, BM_CLICK, 0, 0);  // returns once the dialog has closed
    KillTimer(nullptr, timer);
    pendingAnswer = nullptr;
}

class Win32Form : public ::testing::Test {
protected:
    test::FakeStarter starter;
    TestDialogs dialogs;
    std::unique_ptr<Form1> form;
    std::vector<test::ShownMessage>& shown = dialogs.messages;

    void SetUp() override { make(TOVRIN_APP_DIR, starter); }

    void make(const std::string& app, ScriptStarter& s) {
        form.reset();
        form = std::make_unique<Form1>(app, s, &dialogs);
        form->show();
        runPending();
    }

    HWND top() const { return form->handle(); }
    HWND h(Control c) const { return form->handle(c); }
    void click(Control c) { SendMessageA(h(c), BM_CLICK, 0, 0); }

    // The program's message loop, until `done` holds or `ms` have passed.
    bool runUntil(const std::function<bool()>& done, DWORD ms) {
        const DWORD start = GetTickCount();
        for (;;) {
            MSG m;
            while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
                if (form->isDialogMessage(&m)) continue;
                TranslateMessage(&m);
                DispatchMessageA(&m);
            }
            if (done()) return true;
            const DWORD spent = GetTickCount() - start;
            if (spent >= ms) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
        }
    }
    void runPending() {
        runUntil([] { return true; }, 0);
    }

    // A key as the keyboard gives it to the control with the focus, or to the window.
    void press(UINT key) {
        HWND focus = GetFocus() ? GetFocus() : top();
        PostMessageA(focus, WM_KEYDOWN, key, 1);
        PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
        runPending();
    }
};

TEST_F(Win32Form, WindowIsBuiltFromTheDesign) {
    EXPECT_EQ(textOf(top()), "Tovrin Wizard by Quen");
    RECT client;
    GetClientRect(top(), &client);
    EXPECT_EQ(client.right, pixelsX(kFormWidthTwips));
    EXPECT_EQ(client.bottom, pixelsY(kFormHeightTwips));
    EXPECT_EQ(styleOf(top()) & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU),
              WS_SYSMENU);
    EXPECT_NE(GetClassLongPtrA(top(), GCLP_HICONSM), 0);

    // The default GUI font at 8 points; the busy text in its own font, 24 points.
    LOGFONTA dialogFont = {};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof dialogFont, &dialogFont);
    for (const ControlDesign& d : formDesign()) {
        SCOPED_TRACE(std::string("control ") + std::to_string(int(d.control)) + " \"" + d.text +
                     "\"");
        if (d.kind == ControlKind::Timer) {
            EXPECT_FALSE(form->enabled(d.control));
            continue;
        }
        HWND w = h(d.control);
        ASSERT_NE(w, nullptr);
        const char* expectedClass[] = {"Static",          "Edit",  "ComboBox", "Button", "ListBox",
                                       "TovrinBusyPanel", "Button"};
        EXPECT_EQ(classOf(w), expectedClass[int(d.kind)]);
        if (d.kind != ControlKind::ComboBox && d.kind != ControlKind::ListBox)
            EXPECT_EQ(textOf(w), d.text);
        const RECT r = placeOf(w);
        EXPECT_EQ(r.left, pixelsX(d.left));
        EXPECT_EQ(r.top, pixelsY(d.top));
        EXPECT_EQ(r.right, pixelsX(d.left + d.width));
        if (d.kind != ControlKind::ComboBox)
            EXPECT_EQ(r.bottom, pixelsY(d.top + d.height));  // its height is the font's
        EXPECT_EQ(IsWindowEnabled(w) != 0, d.enabled);
        EXPECT_EQ(form->visible(d.control), d.visible);
        if (d.kind == ControlKind::TextBox && d.maxLength)
            EXPECT_EQ(SendMessageA(w, EM_GETLIMITTEXT, 0, 0), d.maxLength);
        if (d.kind == ControlKind::CheckBox) EXPECT_EQ(form->value(d.control), d.value);
        if (d.kind != ControlKind::Frame && d.control != Control::Label7) {
            EXPECT_STREQ(fontOf(w).lfFaceName, dialogFont.lfFaceName);
            EXPECT_EQ(fontOf(w).lfHeight, -MulDiv(kDialogFontPoints, pixelsY(1440), 72));
        }
    }

    EXPECT_EQ(styleOf(h(Control::CmbLang)) & (CBS_DROPDOWNLIST | CBS_SORT), CBS_DROPDOWNLIST);
    EXPECT_EQ(SendMessageA(h(Control::CmbLang), CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(styleOf(h(Control::List1)) & (LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL), 0);
    const LOGFONTA busy = fontOf(h(Control::Label7));
    EXPECT_EQ(busy.lfHeight, -MulDiv(kBusyFontPoints, pixelsY(1440), 72));
    EXPECT_EQ(busy.lfWeight, FW_NORMAL);
    EXPECT_STREQ(busy.lfFaceName, kBusyFontFamily);
    EXPECT_EQ(styleOf(h(Control::Label7)) & SS_TYPEMASK, SS_CENTER);
    // The busy panel is first in the drawing order and covers part of the list.
    EXPECT_EQ(GetWindow(top(), GW_CHILD), h(Control::Frame1));
    RECT frame = placeOf(h(Control::Frame1)), list = placeOf(h(Control::List1)), both;
    EXPECT_TRUE(IntersectRect(&both, &frame, &list));
}

// Wine's accessibility layer gives no object for these controls (E_NOINTERFACE), so what
// Windows' layer reads is checked: a box's name is the text of the label right before it in
// the window order, and the check box's is its caption.
TEST_F(Win32Form, BoxesHaveTheirLabelsRightBeforeThem) {
    for (const ControlDesign& d : formDesign()) {
        const std::string name = accessibleName(d.control);
        if (name.empty()) continue;
        SCOPED_TRACE(name);
        if (const ControlDesign* label = labelOf(d.control)) {
            EXPECT_EQ(GetWindow(h(d.control), GW_HWNDPREV), h(label->control));
            EXPECT_EQ(textOf(h(label->control)), name + ":");
        } else if (d.kind == ControlKind::CheckBox) {
            EXPECT_EQ(textOf(h(d.control)), name);
        }
    }
}

// The program's icon: one 16 x 16 image in 256 colours.
TEST_F(Win32Form, IconIsSixteenPixelsInTwoHundredFiftySixColours) {
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colours, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
    struct Group {
        WORD reserved, type, count;
        GroupEntry entries[1];
    };
#pragma pack(pop)
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(TOVRIN_ICON),
                                reinterpret_cast<LPCSTR>(RT_GROUP_ICON));
    ASSERT_NE(found, nullptr);
    const auto* group = static_cast<const Group*>(LockResource(LoadResource(nullptr, found)));
    ASSERT_EQ(group->count, 1);
    EXPECT_EQ(group->entries[0].width, 16);
    EXPECT_EQ(group->entries[0].height, 16);
    EXPECT_EQ(group->entries[0].bitCount, 8);
}

TEST_F(Win32Form, TypingStopsAtEachTextBoxsLimit) {
    for (const ControlDesign& d : formDesign()) {
        if (d.kind != ControlKind::TextBox || !d.maxLength) continue;
        SCOPED_TRACE(d.text);
        SetWindowTextA(h(d.control), "");
        for (int i = 0; i <= d.maxLength; ++i) SendMessageA(h(d.control), WM_CHAR, '7', 1);
        EXPECT_EQ(form->text(d.control), std::string(d.maxLength, '7'));
    }
}

// A text box's limit counts characters whatever their bytes: an ANSI edit control counts bytes
// in a double-byte code page (24 characters of 表 would stop at 12; wine counts characters
// either way), a Unicode one counts characters. The text still comes in the ANSI code page,
// a character it lacks as "?" and never as a look-alike.
TEST_F(Win32Form, TextBoxesCountAndGiveLocalCharacters) {
    const std::string table = localFromUtf8("\xE8\xA1\xA8");  // 表
    for (const ControlDesign& d : formDesign()) {
        if (d.kind != ControlKind::TextBox || !d.maxLength) continue;
        SCOPED_TRACE(d.text);
        EXPECT_TRUE(IsWindowUnicode(h(d.control)));
        if (table == "?") continue;  // this code page lacks it
        SetWindowTextA(h(d.control), "");
        for (int i = 0; i <= d.maxLength; ++i) SendMessageW(h(d.control), WM_CHAR, 0x8868, 1);
        std::string expected;
        for (int i = 0; i < d.maxLength; ++i) expected += table;
        EXPECT_EQ(form->text(d.control), expected);
    }
    SetWindowTextW(h(Control::txtName), L"\u0142");  // ł: in no code page the tests run with
    EXPECT_EQ(form->text(Control::txtName), "?");
}

TEST_F(Win32Form, TabFollowsTheDesignFromTheLanguageBox) {
    ASSERT_EQ(GetFocus(), h(Control::CmbLang));
    std::vector<Control> order;
    for (Control c : tabOrder())
        if (designOf(c).enabled)
            order.push_back(c);  // Tab passes over the two disabled folder boxes
    order.push_back(order.front());
    for (std::size_t i = 1; i < order.size(); ++i) {
        SCOPED_TRACE(designOf(order[i]).text);
        EXPECT_EQ(GetNextDlgTabItem(top(), GetFocus(), FALSE), h(order[i]));
        press(VK_TAB);
        EXPECT_EQ(GetFocus(), h(order[i]));
    }
}

TEST_F(Win32Form, SpaceAndEnterPressTheButtonWithTheFocus) {
    form->setFocus(Control::Command1);
    press(VK_SPACE);
    form->setFocus(Control::Command2);
    press(VK_RETURN);
    form->setFocus(Control::txtName);
    press(VK_RETURN);  // a text box has no button to press
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].title, "About");
    EXPECT_EQ(
        shown[0].text.rfind("Tovrin 0.9 by Quen\r\n\r\nPlease send bugs and suggestion to:\r\n", 0),
        0u);
    EXPECT_EQ(shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(shown[1].title, "UID Info");
    EXPECT_EQ(shown[1].text, kUidInfoText);
    EXPECT_EQ(shown[1].icon, MessageIcon::Information);
    EXPECT_EQ(form->text(Control::txtName), "Name");
}

TEST_F(Win32Form, FolderAndFileButtonsRunTheirCommands) {
    test::TempDir dir;
    dir.write("a.app", "a");
    dir.write("s/c.rsc", "c");
    const auto sis = dir.write("x.sis", std::string("\x91\x5B\x00\x10", 4));
    dialogs.folderAnswers.push_back({true, dir.str()});
    dialogs.fileAnswers.push_back({true, sis.string()});
    click(Control::cmdBrowse);
    EXPECT_EQ(form->text(Control::txtProjPath), dir.str() + kSeparator);
    EXPECT_EQ(form->text(Control::txtDest), dir.str() + kSeparator);
    EXPECT_EQ(form->listCount(), 3);
    EXPECT_EQ(SendMessageA(h(Control::List1), LB_GETCOUNT, 0, 0), 3);
    click(Control::readUi);
    ASSERT_EQ(dialogs.fileDialogCalls.size(), 1u);
    const std::string askedTitle = dialogs.fileDialogCalls[0][0];
    EXPECT_EQ(askedTitle, "Open a sis file");
    EXPECT_EQ(form->text(Control::txtUID), "10005B91");
    dialogs.folderAnswers.push_back({false, ""});
    click(Control::cmdDestFol);
    EXPECT_EQ(form->text(Control::txtDest), "");
    EXPECT_EQ(form->text(Control::txtProjPath), dir.str() + kSeparator);
    EXPECT_TRUE(shown.empty());
}

// The real dialogs: the file dialog shows its title and filter, the folder dialog gives the
// folder it was set to.
TEST_F(Win32Form, RealDialogsAnswerTheirButtons) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));  // as the program does, for the folder dialog
    SystemDialogs system(top());
    dialogs.system = &system;
    test::TempDir dir;
    dir.write("pkg/x.sis", std::string("\x0A\x00\x00\x01", 4));
    const std::string folder = dir.str() + "\\pkg";
    std::string title, filter;
    DialogAnswer open{top(), [&](HWND dialog) {
                          title = textOf(dialog);
                          filter = textOf(GetDlgItem(dialog, cmb1));
                          HWND name = GetDlgItem(dialog, cmb13);
                          SetWindowTextA(name ? name : GetDlgItem(dialog, edt1),
                                         (folder + "\\x.sis").c_str());
                      }};
    clickAndAnswer(h(Control::readUi), &open);
    EXPECT_TRUE(open.dialog && !open.refused);
    EXPECT_EQ(title, "Open a sis file");
    EXPECT_EQ(filter, "*.sis");
    EXPECT_EQ(form->text(Control::txtUID), "0100000A");

    DialogAnswer chooseFolder{top(), [&](HWND dialog) {
                                  SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE,
                                               reinterpret_cast<LPARAM>(folder.c_str()));
                              }};
    clickAndAnswer(h(Control::cmdDestFol), &chooseFolder);
    EXPECT_TRUE(chooseFolder.dialog && !chooseFolder.refused);
    EXPECT_EQ(form->text(Control::txtDest), folder + "\\");
    EXPECT_TRUE(shown.empty());
    OleUninitialize();
}

// Entries keep their bytes; selecting each row in turn, as the create command does, selects
// and shows only the last one once the loop runs.
TEST_F(Win32Form, FileListKeepsEachEntrysBytesAndSelectsOnce) {
    std::vector<std::string> entries;
    for (int i = 0; i < 60000; ++i)
        entries.push_back("\\system\\apps\\Demo\\file" + std::to_string(i) + ".dat");
    entries[7] = "\\caf\xE9.txt";
    form->listAdd(entries);
    ASSERT_EQ(form->listCount(), 60000);
    EXPECT_EQ(SendMessageA(h(Control::List1), LB_GETCOUNT, 0, 0), 60000);
    EXPECT_EQ(form->listItem(7), "\\caf\xE9.txt");
    EXPECT_EQ(form->listItem(59999), entries.back());
    char shownEntry[64] = {};
    SendMessageA(h(Control::List1), LB_GETTEXT, 7, reinterpret_cast<LPARAM>(shownEntry));
    EXPECT_STREQ(shownEntry, "\\caf\xE9.txt");

    for (int i = 0; i < form->listCount(); ++i) form->listSelect(i);
    EXPECT_EQ(SendMessageA(h(Control::List1), LB_GETCURSEL, 0, 0), LB_ERR);
    runPending();
    EXPECT_EQ(SendMessageA(h(Control::List1), LB_GETCURSEL, 0, 0), 59999);
    EXPECT_GT(SendMessageA(h(Control::List1), LB_GETTOPINDEX, 0, 0), 59900);

    form->listClear();
    EXPECT_EQ(form->listCount(), 0);
    EXPECT_EQ(SendMessageA(h(Control::List1), LB_GETCOUNT, 0, 0), 0);
}

TEST_F(Win32Form, LanguageBoxKeepsTheOrderItIsGiven) {
    const char* const given[] = {"SW - Swedish", " Default - English", "da - Danish"};
    for (const char* entry : given) form->comboAdd(entry);
    HWND box = h(Control::CmbLang);
    ASSERT_EQ(SendMessageA(box, CB_GETCOUNT, 0, 0), 3);
    for (int i = 0; i < 3; ++i) {
        char entry[64] = {};
        SendMessageA(box, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
        EXPECT_STREQ(entry, given[i]);
    }
    EXPECT_EQ(form->text(Control::CmbLang), "");
    SendMessageA(box, CB_SETCURSEL, 2, 0);
    EXPECT_EQ(form->text(Control::CmbLang), "da - Danish");
}

// A build that the fake starter never finishes: the window is disabled with the busy panel
// shown, refuses to close, and comes back with the focus on "Create .sis file" once the
// scripts have ended (here reporting that no package was made).
TEST_F(Win32Form, BusyWhileTheScriptsRunThenIdleWithTheFocusOnCreate) {
    test::BuildFolders f;
    f.root.write("proj/x.app", "x");
    starter.startRunning = true;
    make(f.app, starter);
    form->setText(Control::txtProjPath, f.project);
    form->setText(Control::txtDest, f.destination);
    form->setFocus(Control::cmdDo);
    click(Control::cmdDo);
    ASSERT_EQ(starter.started.size(), 1u);
    EXPECT_FALSE(IsWindowEnabled(top()));
    EXPECT_EQ(GetFocus(), nullptr);
    for (UINT key : {VK_TAB, VK_RETURN, VK_SPACE}) press(key);
    click(Control::cmdDo);
    EXPECT_EQ(starter.started.size(), 1u);  // no key or click starts a second build
    EXPECT_TRUE(IsWindowVisible(h(Control::Frame1)));
    EXPECT_TRUE(form->enabled(Control::Timer1));
    SendMessageA(top(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(top()));

    // "Working Hard..." stays black on white while the window is disabled.
    UpdateWindow(top());
    HWND label = h(Control::Label7);
    HDC dc = GetDC(label);
    RECT r;
    GetClientRect(label, &r);
    int black = 0, white = 0, grey = 0;
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            black += c == RGB(0, 0, 0);
            white += c == RGB(255, 255, 255);
            grey += c == GetSysColor(COLOR_GRAYTEXT);
        }
    ReleaseDC(label, dc);
    EXPECT_GT(black, 100);
    EXPECT_GT(white, r.right * r.bottom / 2);
    EXPECT_EQ(grey, 0);

    starter.startRunning = false;  // del.bat ends at once
    *starter.started[0].running = false;
    ASSERT_TRUE(
        runUntil([&] { return IsWindowEnabled(top()) && !form->enabled(Control::Timer2); }, 20000));
    EXPECT_FALSE(IsWindowVisible(h(Control::Frame1)));
    EXPECT_FALSE(form->enabled(Control::Timer1));
    EXPECT_EQ(GetFocus(), h(Control::cmdDo));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Error");
}

TEST_F(Win32Form, LanguagesComeFromTheApplicationFolder) {
    Form_Load(*form, TOVRIN_APP_DIR);
    EXPECT_TRUE(shown.empty());
    EXPECT_GT(SendMessageA(h(Control::CmbLang), CB_GETCOUNT, 0, 0), 90);
    EXPECT_EQ(form->text(Control::CmbLang), "");
    SendMessageA(h(Control::CmbLang), CB_SETCURSEL, 0, 0);
    EXPECT_EQ(form->text(Control::CmbLang), " Default - English");
}

}  // namespace
