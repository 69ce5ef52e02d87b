#pragma once
// The Windows shell folder dialog, for the Win32 window's folder dialog.

#ifdef _WIN32

#include <string>

namespace tovrin {

// Shows the shell's folder dialog, modal to the window whose HWND is `ownerWindowHandle`,
// rooted at the desktop, file-system folders only. On a choice sets *path to the folder's
// path as the shell gives it (empty when the item has no file-system path) and returns true;
// returns false when the dialog is cancelled or closed.
// REQUIRES: COM initialised on the calling thread (the Win32 program initialises OLE in
// WinMain).
bool shellChooseFolder(void* ownerWindowHandle, std::string* path);

}  // namespace tovrin

#endif
