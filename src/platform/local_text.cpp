#include "src/platform/local_text.h"

#include <algorithm>

#include "src/text/utf8.h"
#include "src/text/windows1252.h"

#ifdef _WIN32
#include <windows.h>

#include "src/platform/code_page.h"
#endif

namespace tovrin {
namespace {

bool isUtf8Host() {
#ifdef _WIN32
    return GetACP() == CP_UTF8;
#else
    return true;
#endif
}

// The code point of the character at `pos`, `length` bytes long (one of characterLength).
char32_t codePointAt(const std::string& text, std::size_t pos, std::size_t length) {
    const auto lead = static_cast<unsigned char>(text[pos]);
#ifdef _WIN32
    if (!isUtf8Host()) {
        // Every character of a double-byte code page is one UTF-16 unit.
        std::wstring wide;
        if (wideFromCodePage(GetACP(), text.substr(pos, length), &wide) && wide.size() == 1)
            return static_cast<char16_t>(wide[0]);
        return lead;
    }
#endif
    if (length == 1) return lead;
    char32_t cp = lead & (0x3F >> (length - 1));
    for (std::size_t i = 1; i < length; ++i)
        cp = (cp << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
    return cp;
}

}  // namespace

std::size_t characterLength(const std::string& text, std::size_t pos) {
    if (isUtf8Host()) {
        const std::size_t length = utf8CharacterLength(text, pos);
        return length ? length : 1;
    }
#ifdef _WIN32
    const auto lead = static_cast<BYTE>(text[pos]);
    if (pos + 1 < text.size() && IsDBCSLeadByteEx(GetACP(), lead)) return 2;
#endif
    return 1;
}

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

bool holdsCharacter(const std::string& text, char c) {
    for (std::size_t pos = 0; pos < text.size(); pos += characterLength(text, pos))
        if (text[pos] == c && characterLength(text, pos) == 1) return true;
    return false;
}

bool endsWithCharacter(const std::string& text, char c) {
    std::size_t last = 0, pos = 0;
    for (; pos < text.size(); pos += characterLength(text, pos)) last = pos;
    return !text.empty() && text[last] == c && characterLength(text, last) == 1;
}

std::size_t findLastCharacterOf(const std::string& text, const std::string& set) {
    std::size_t found = std::string::npos;
    for (std::size_t pos = 0; pos < text.size(); pos += characterLength(text, pos))
        if (characterLength(text, pos) == 1 && set.find(text[pos]) != std::string::npos)
            found = pos;
    return found;
}

bool isAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::u32string codePoints(const std::string& localText) {
    if (isAscii(localText)) return std::u32string(localText.begin(), localText.end());
    std::u32string points;
    for (std::size_t pos = 0; pos < localText.size();) {
        const std::size_t length = characterLength(localText, pos);
        points += codePointAt(localText, pos, length);
        pos += length;
    }
    return points;
}

std::string localFromUtf8(const std::string& utf8) {
#ifdef _WIN32
    std::wstring wide;
    if (!wideFromCodePage(CP_UTF8, utf8, &wide)) return utf8;  // not UTF-8: already local text
    return codePageFromWideMarked(GetACP(), wide, '?');
#else
    return utf8;
#endif
}

std::u32string packagedCodePoints(const std::string& name) {
    if (isAscii(name)) return std::u32string(name.begin(), name.end());
#ifndef _WIN32
    Utf8Checker checker;
    checker.update(reinterpret_cast<const uint8_t*>(name.data()), name.size());
    if (!checker.valid()) {
        std::u32string points;
        for (unsigned char byte : name) points.push_back(windows1252CodePoint(byte));
        return points;
    }
#endif
    return codePoints(name);
}

std::filesystem::path pathFromLocal(const std::string& localText) {
#ifdef _WIN32
    std::wstring wide;
    if (wideFromCodePage(GetACP(), localText, &wide)) return std::filesystem::path(wide);
#endif
    return std::filesystem::path(localText);
}

std::string localText(const std::filesystem::path& path) {
#ifdef _WIN32
    return codePageFromWideMarked(GetACP(), path.native(), '?');
#else
    return path.string();
#endif
}

}  // namespace tovrin
