#include "src/platform/batch_text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tovrin {

std::string unreadableInBatchMessage(const std::string& text, const std::string& missing) {
    return text + " holds a character that the command interpreter cannot read: " + missing;
}

#ifdef _WIN32

namespace {

std::wstring wide(UINT codePage, const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, out.data(), n);
    return out;
}

// The text in the code page; false when the code page has no exact match for a character.
// No best fit: "é" must not become "e" on its way into a file name.
bool narrow(UINT codePage, const std::wstring& text, std::string* out) {
    out->clear();
    if (text.empty()) return true;
    const int size = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0,
                                      nullptr, &usedDefault);
    out->resize(static_cast<std::size_t>(n));
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), size, out->data(), n, nullptr,
                        &usedDefault);
    return !usedDefault;
}

}  // namespace

bool batchText(const std::string& text, std::string* batch, std::string* missing) {
    const std::wstring characters = wide(CP_ACP, text);
    if (narrow(CP_OEMCP, characters, batch)) return true;
    for (wchar_t c : characters) {
        std::string one;
        if (!narrow(CP_OEMCP, std::wstring(1, c), &one)) {
            narrow(CP_ACP, std::wstring(1, c), missing);
            break;
        }
    }
    return false;
}

bool batchFolder(const std::string& folder, std::string* batch, std::string* missing) {
    if (batchText(folder, batch, missing)) return true;
    const std::wstring path = wide(CP_ACP, folder);
    const DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (n == 0) return false;
    std::wstring shortPath(n, L'\0');
    const DWORD written = GetShortPathNameW(path.c_str(), shortPath.data(), n);
    if (written == 0 || written >= n) return false;
    shortPath.resize(written);
    return narrow(CP_OEMCP, shortPath,
                  batch);  // a volume without short names gives the long one back
}

#else

bool batchText(const std::string& text, std::string* batch, std::string*) {
    *batch = text;
    return true;
}

bool batchFolder(const std::string& folder, std::string* batch, std::string*) {
    *batch = folder;
    return true;
}

#endif

}  // namespace tovrin
