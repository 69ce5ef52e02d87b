// Drives tovrin-wizard.exe from another process, the way a person's clicks reach it: finds the
// window by its title and each control by its caption or its row, types with WM_SETTEXT and
// clicks with BM_CLICK, answers a message box, and builds one package.
//   tovrin_wizard_driver <tovrin-wizard.exe> <project folder> <destination folder> <name>
// Prints one line per check and exits 0 when every check passed.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "src/app/form_design.h"

using namespace tovrin;

namespace {

int failures = 0;

bool check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!ok) ++failures;
    return ok;
}

// Another process's window text: WM_GETTEXT is carried across processes.
std::string textOf(HWND w) {
    char buffer[4096] = {};
    SendMessageA(w, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

std::string classOf(HWND w) {
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

// Polls until `done` holds or `ms` have passed: the other process gives no event to wait on.
bool waitFor(const std::function<bool()>& done, DWORD ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        Sleep(20);
    }
    return true;
}

// A visible top-level window of process `pid` with this class (null: any) and title.
HWND topWindow(DWORD pid, const char* windowClass, const char* title) {
    for (HWND w = FindWindowExA(nullptr, nullptr, windowClass, title); w;
         w = FindWindowExA(nullptr, w, windowClass, title)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

// Every descendant of `top`, at any depth.
std::vector<HWND> children(HWND top) {
    std::vector<HWND> found;
    EnumChildWindows(
        top,
        [](HWND w, LPARAM list) {
            return reinterpret_cast<std::vector<HWND>*>(list)->push_back(w), TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND childWith(HWND top, const std::string& windowClass, const std::string& text) {
    for (HWND w : children(top))
        if (classOf(w) == windowClass && textOf(w) == text) return w;
    return nullptr;
}

// The child of class `windowClass` whose vertical middle lies on the row of the label `caption`.
HWND onRowOf(HWND top, const std::string& caption, const std::string& windowClass) {
    HWND label = childWith(top, "Static", caption);
    RECT row;
    if (!label || !GetWindowRect(label, &row)) return nullptr;
    for (HWND w : children(top)) {
        RECT r;
        GetWindowRect(w, &r);
        const LONG middle = (r.top + r.bottom) / 2;
        if (classOf(w) == windowClass && middle >= row.top && middle <= row.bottom) return w;
    }
    return nullptr;
}

const char* windowClassOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label: return "Static";
    case ControlKind::TextBox: return "Edit";
    case ControlKind::Button:
    case ControlKind::CheckBox: return "Button";
    default: return nullptr;
    }
}

// Labels, text boxes, check box and buttons are ordinary child windows whose window text is
// their caption or initial text.
void checkCaptions(HWND top) {
    for (const ControlDesign& d : formDesign()) {
        const char* windowClass = windowClassOf(d.kind);
        if (!windowClass || !*d.text) continue;
        check(childWith(top, windowClass, d.text) != nullptr,
              std::string("a ") + windowClass + " child window with the text \"" + d.text + "\"");
    }
}

// The message box the window shows, a #32770 it owns; null when none comes within `ms`.
HWND waitForBox(HWND top, DWORD pid, DWORD ms) {
    HWND box = nullptr;
    waitFor(
        [&] {
            return (box = topWindow(pid, "#32770", nullptr)) != nullptr &&
                   GetWindow(box, GW_OWNER) == top;
        },
        ms);
    return box && GetWindow(box, GW_OWNER) == top ? box : nullptr;
}

std::string boxText(HWND box) {
    std::string text;
    for (HWND w : children(box))
        if (classOf(w) == "Static" && !textOf(w).empty()) text += textOf(w);
    return text;
}

// OK on a box: BM_CLICK on its button does nothing under wine, IDOK always closes it.
void closeBox(HWND box) {
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    waitFor([&] { return !IsWindow(box); }, 5000);
}

void setText(HWND edit, const std::string& text, const std::string& what) {
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    check(textOf(edit) == text, what + " holds \"" + text + "\"");
}

std::string withSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr,
                     "usage: %s <tovrin-wizard.exe> <project folder> <destination folder> <name>\n",
                     argv[0]);
        return 2;
    }
    const std::string project = withSeparator(argv[2]), destination = withSeparator(argv[3]),
                      name = argv[4];

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION wizard = {};
    if (!CreateProcessA(argv[1], nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &wizard)) {
        std::printf("FAIL cannot start %s: error %lu\n", argv[1], GetLastError());
        return 1;
    }
    WaitForInputIdle(wizard.hProcess, 20000);
    HWND top = nullptr;
    waitFor([&] { return (top = topWindow(wizard.dwProcessId, nullptr, kFormTitle)) != nullptr; },
            20000);
    if (check(top != nullptr, std::string("the window \"") + kFormTitle + "\" is shown")) {
        checkCaptions(top);
        HWND create = childWith(top, "Button", "Create .sis file");
        HWND projectBox = onRowOf(top, "Project path:", "Edit");
        HWND destinationBox = onRowOf(top, "Dest. folder:", "Edit");
        HWND nameBox = onRowOf(top, "Name of the program:", "Edit");
        check(projectBox && destinationBox && nameBox,
              "the edit boxes on the rows of their labels");

        // With no destination the click is refused in an Error box owned by the window.
        PostMessageA(create, BM_CLICK, 0, 0);  // posted: the box holds the click until it closes
        HWND box = waitForBox(top, wizard.dwProcessId, 10000);
        if (check(box != nullptr, "an empty destination gives a message box owned by the window")) {
            check(textOf(box) == "Error" && boxText(box) == "Insert a Path for the destination",
                  "it is the Error box \"" + boxText(box) + "\"");
            check(!IsWindowEnabled(top), "the window waits for the box");
            closeBox(box);
            check(waitFor([&] { return IsWindowEnabled(top); }, 5000), "OK closes the box");
        }

        setText(projectBox, project, "the project path box");
        setText(destinationBox, destination, "the destination box");
        setText(nameBox, name, "the name box");
        PostMessageA(create, BM_CLICK, 0, 0);
        check(waitFor([&] { return !IsWindowEnabled(top); }, 10000),
              "Create .sis file makes the window busy");
        HWND failure = nullptr;
        waitFor(
            [&] {
                return IsWindowEnabled(top) || (failure = waitForBox(top, wizard.dwProcessId, 0));
            },
            120000);
        if (failure) {
            check(false, "the build ends without a box, but it says: " + boxText(failure));
            closeBox(failure);
        }
        check(IsWindowEnabled(top), "the window is idle again");
        // The window is enabled a moment before the focus comes back: wait for it.
        check(waitFor(
                  [&] {
                      GUITHREADINFO gui = {};
                      gui.cbSize = sizeof gui;
                      return GetGUIThreadInfo(wizard.dwThreadId, &gui) && gui.hwndFocus == create;
                  },
                  5000),
              "the focus is back on Create .sis file");
        const std::string package = destination + name + ".sis";
        check(GetFileAttributesA(package.c_str()) != INVALID_FILE_ATTRIBUTES,
              "the package " + package + " is there");
        PostMessageA(top, WM_CLOSE, 0, 0);
    }
    const bool ended = WaitForSingleObject(wizard.hProcess, 10000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(wizard.hProcess, 1);
    check(ended, "closing the window ends the program");
    CloseHandle(wizard.hThread);
    CloseHandle(wizard.hProcess);
    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
