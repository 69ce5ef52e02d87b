#pragma once
// Windows-1252, the 8-bit code page in which text that is not UTF-8 is read on hosts without
// an ANSI code page of their own.

#include <cstdint>

namespace tovrin {

// The code point of one byte; U+FFFD for the five bytes the code page leaves undefined.
char32_t windows1252CodePoint(uint8_t byte);

// The byte of a code point; false when the code page has no such character.
bool windows1252Byte(char32_t codePoint, uint8_t* byte);

}  // namespace tovrin
