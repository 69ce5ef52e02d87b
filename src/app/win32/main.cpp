// The Windows program: the wizard's Win32 window over the application folder it was started from.
#include <windows.h>
#include <ole2.h>

#include <exception>

#include "src/app/start_up.h"
#include "src/app/win32/form1.h"
#include "src/platform/app_folder.h"
#include "src/platform/process.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
    // The shell's folder dialog needs OLE on the window's thread.
    if (FAILED(OleInitialize(nullptr))) return 1;
    int status = 1;
    try {
        const std::string appFolder = tovrin::applicationFolder();
        auto starter = tovrin::makeScriptStarter(appFolder);
        tovrin::Form1 window(appFolder, *starter);
        tovrin::Form_Load(window, appFolder);
        window.show(show);
        MSG message;
        BOOL got;
        while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
            if (window.isDialogMessage(&message)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        status = got == 0 ? static_cast<int>(message.wParam) : 1;
    } catch (const std::exception& e) {
        MessageBoxA(nullptr, e.what(), "Error", MB_OK | MB_ICONERROR);
    }
    OleUninitialize();
    return status;
}
