#include "src/platform/local_text.h"

#include "src/text/utf8.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tovrin {
namespace {

// Length in bytes of the character that starts at `pos`.
std::size_t characterLength(const std::string& text, std::size_t pos) {
#ifdef _WIN32
    (void)text;
    (void)pos;
    return 1;
#else
    const std::size_t length = utf8CharacterLength(text, pos);
    return length ? length : 1;
#endif
}

#ifdef _WIN32
// UTF-16 text in the ANSI code page, a character it lacks as its closest match or "?".
std::string ansiFromWide(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int units = static_cast<int>(wide.size());
    const int bytes =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    std::string local(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), units, local.data(), bytes, nullptr, nullptr);
    return local;
}
#endif

}  // namespace

std::size_t characterCount(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += characterLength(text, pos)) ++count;
    return count;
}

std::string leadingCharacters(const std::string& text, std::size_t count) {
    std::size_t pos = 0;
    for (; pos < text.size() && count > 0; --count) pos += characterLength(text, pos);
    return text.substr(0, pos);
}

std::string localFromUtf8(const std::string& utf8) {
#ifdef _WIN32
    if (utf8.empty()) return utf8;
    const int size = static_cast<int>(utf8.size());
    const int units =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (units <= 0) return utf8;  // not UTF-8 after all: already local text
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), units);
    return ansiFromWide(wide);
#else
    return utf8;
#endif
}

std::string localText(const std::filesystem::path& path) {
#ifdef _WIN32
    return ansiFromWide(path.native());
#else
    return path.string();
#endif
}

}  // namespace tovrin
