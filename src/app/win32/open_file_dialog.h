#pragma once
// The common file-open dialog for "Take from a file".

#include <windows.h>

#include <string>

namespace tovrin {

// Shows GetOpenFileNameA modal to `owner` with this title, one filter entry whose pattern is
// `filter` (shown under the same text), and `defaultExt` ("*.sis" or "sis") appended to a name
// typed without an extension. On a choice sets *path to the file's full path and returns
// true; returns false when the dialog is cancelled.
bool askOpenFile(HWND owner, const std::string& title, const std::string& filter,
                 const std::string& defaultExt, std::string* path);

}  // namespace tovrin
