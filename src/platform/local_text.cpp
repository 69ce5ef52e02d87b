#include "src/platform/local_text.h"

#include "src/text/utf8.h"
#include "src/text/windows1252.h"

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

std::u32string codePoints(const std::string& localText) {
    std::u32string out;
#ifdef _WIN32
    if (localText.empty()) return out;
    const int size = static_cast<int>(localText.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, localText.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0) MultiByteToWideChar(CP_ACP, 0, localText.data(), size, wide.data(), units);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t unit = wide[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF)
            unit = 0x10000 + ((unit - 0xD800) << 10) + (wide[++i] - 0xDC00);
        out.push_back(unit);
    }
#else
    Utf8Checker checker;
    checker.update(reinterpret_cast<const uint8_t*>(localText.data()), localText.size());
    if (!checker.valid()) {
        for (unsigned char byte : localText) out.push_back(windows1252CodePoint(byte));
        return out;
    }
    for (std::size_t pos = 0; pos < localText.size();) {
        const std::size_t length = utf8CharacterLength(localText, pos);
        const auto lead = static_cast<uint8_t>(localText[pos]);
        char32_t cp = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t i = 1; i < length; ++i)
            cp = (cp << 6) | (static_cast<uint8_t>(localText[pos + i]) & 0x3F);
        out.push_back(cp);
        pos += length;
    }
#endif
    return out;
}

std::string localText(const std::filesystem::path& path) {
#ifdef _WIN32
    return ansiFromWide(path.native());
#else
    return path.string();
#endif
}

}  // namespace tovrin
