#include "src/platform/batch_text.h"

#ifdef _WIN32
#include <windows.h>

#include "src/platform/code_page.h"
#include "src/platform/local_text.h"
#endif

namespace tovrin {

std::string unreadableInBatchMessage(const std::string& text, const std::string& missing) {
    return text + " holds a character that the command interpreter cannot read: " + missing;
}

#ifdef _WIN32

namespace {

// Local text (the ANSI code page) in the OEM code page, exactly.
bool oemFromAnsi(const std::string& text, std::string* oem) {
    std::wstring wide;
    return wideFromCodePage(GetACP(), text, &wide) && codePageFromWide(GetOEMCP(), wide, oem);
}

// The first character of the text that the OEM code page lacks.
std::string firstMissing(const std::string& text) {
    std::string oem;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = characterLength(text, pos);
        if (!oemFromAnsi(text.substr(pos, length), &oem)) return text.substr(pos, length);
        pos += length;
    }
    return text;  // no character alone: the text as a whole
}

}  // namespace

bool batchText(const std::string& text, std::string* batch, std::string* missing) {
    if (oemFromAnsi(text, batch)) return true;
    batch->clear();
    *missing = firstMissing(text);
    return false;
}

bool batchFolder(const std::string& folder, std::string* batch, std::string* missing) {
    if (batchText(folder, batch, missing)) return true;
    std::wstring path;
    if (!wideFromCodePage(GetACP(), folder, &path)) return false;
    const DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (n == 0) return false;
    std::wstring shortPath(n, L'\0');
    const DWORD written = GetShortPathNameW(path.c_str(), shortPath.data(), n);
    if (written == 0 || written >= n) return false;
    shortPath.resize(written);
    // A volume without short names gives the long one back.
    if (codePageFromWide(GetOEMCP(), shortPath, batch)) return true;
    batch->clear();
    return false;
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
