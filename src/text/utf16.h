#pragma once
// UTF-16 to and from UTF-8, for the whole project: package strings (UTF-16LE bytes), script
// text (UTF-16 code units) and messages (UTF-8). A surrogate pair is one character; a lone
// surrogate is no character: the lenient conversions put U+FFFD for it, the strict ones
// refuse the text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tovrin {

// The code point that starts at units[*pos], moving *pos past it; a lone surrogate is given
// back as it is. REQUIRES: *pos < units.size().
char32_t nextCodePoint(std::u16string_view units, std::size_t* pos);

// Code units to UTF-8; a lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view units);

// UTF-16LE bytes to UTF-8; a lone surrogate, and an odd final byte, become U+FFFD.
std::string utf16leToUtf8(const uint8_t* data, std::size_t size);

// The same, false when the bytes hold an odd final byte or a lone surrogate.
bool utf16leToUtf8Strict(const uint8_t* data, std::size_t size, std::string* utf8);

// Appends one code point as code units, or as UTF-16LE bytes. REQUIRES: cp <= 0x10FFFF.
void appendUtf16(std::u16string& out, char32_t cp);
void appendUtf16le(std::string& out, char32_t cp);

// Valid UTF-8 to code units. REQUIRES: the text passes Utf8Checker (utf8.h).
std::u16string utf8ToUtf16(std::string_view utf8);

}  // namespace tovrin
