#pragma once
// Control characters (those below the blank, and DEL): no line of a script and no message box
// can carry them. Each is a single byte in every code page the wizard meets.

#include <algorithm>
#include <string>

namespace tovrin {

inline bool isControlCharacter(char32_t c) { return c < 0x20 || c == 0x7F; }

// The text for a message: each control character shown as "?".
inline std::string withControlsShown(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](unsigned char c) { return isControlCharacter(c); }, '?');
    return text;
}

}  // namespace tovrin
