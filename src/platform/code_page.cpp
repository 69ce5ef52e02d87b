#include "src/platform/code_page.h"

#ifdef _WIN32

#include <windows.h>

namespace tovrin {
namespace {

// Symbol, UTF-7, the ISO-2022 and ISCII code pages take no flags at all.
bool takesNoFlags(UINT codePage) {
    return codePage == 42 || codePage == CP_UTF7 || (codePage >= 50220 && codePage <= 50229) ||
           (codePage >= 57002 && codePage <= 57011);
}

// UTF-8 and GB18030 take only the flag that makes invalid characters fail.
bool takesOnlyErrorFlag(UINT codePage) { return codePage == CP_UTF8 || codePage == 54936; }

DWORD toWideFlags(UINT codePage) { return takesNoFlags(codePage) ? 0 : MB_ERR_INVALID_CHARS; }

// No best fit where the code page allows it: "é" must not turn into "e" on its way into a name.
// The round trip catches it where the code page does not allow it.
DWORD fromWideFlags(UINT codePage) {
    return takesNoFlags(codePage) || takesOnlyErrorFlag(codePage) ? 0 : WC_NO_BEST_FIT_CHARS;
}

bool convertFromWide(UINT codePage, const std::wstring& wide, std::string* text) {
    text->clear();
    if (wide.empty()) return true;
    const DWORD flags = fromWideFlags(codePage);
    const int units = static_cast<int>(wide.size());
    const int bytes =
        WideCharToMultiByte(codePage, flags, wide.data(), units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return false;
    text->resize(static_cast<std::size_t>(bytes));
    return WideCharToMultiByte(codePage, flags, wide.data(), units, text->data(), bytes, nullptr,
                               nullptr) == bytes;
}

}  // namespace

bool wideFromCodePage(unsigned codePage, const std::string& text, std::wstring* wide) {
    wide->clear();
    if (text.empty()) return true;
    const DWORD flags = toWideFlags(codePage);
    const int bytes = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(codePage, flags, text.data(), bytes, nullptr, 0);
    if (units <= 0) return false;
    wide->resize(static_cast<std::size_t>(units));
    return MultiByteToWideChar(codePage, flags, text.data(), bytes, wide->data(), units) == units;
}

bool codePageFromWide(unsigned codePage, const std::wstring& wide, std::string* text) {
    std::wstring back;
    return convertFromWide(codePage, wide, text) && wideFromCodePage(codePage, *text, &back) &&
           back == wide;
}

std::string codePageFromWideMarked(unsigned codePage, const std::wstring& wide, char missing) {
    std::string text;
    if (codePageFromWide(codePage, wide, &text)) return text;
    text.clear();
    for (std::size_t i = 0; i < wide.size(); ++i) {
        // A surrogate pair is one character.
        const bool pair =
            i + 1 < wide.size() && IS_HIGH_SURROGATE(wide[i]) && IS_LOW_SURROGATE(wide[i + 1]);
        std::string one;
        if (codePageFromWide(codePage, wide.substr(i, pair ? 2 : 1), &one))
            text += one;
        else
            text += missing;
        if (pair) ++i;
    }
    return text;
}

}  // namespace tovrin

#endif
