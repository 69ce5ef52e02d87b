#pragma once
// Characters of 8-bit text in the host's local encoding. On Windows that is the ANSI code page,
// whose double-byte code pages (932, 936, 949, 950) give a character one or two bytes, the
// second of which may be 0x5C, the byte of "\"; with the UTF-8 code page (65001) and elsewhere,
// where the locale's encoding is UTF-8, a character is one valid UTF-8 character
// (text/utf8.h). A byte that begins no whole character counts as one character.

#include <cstddef>
#include <filesystem>
#include <string>

namespace tovrin {

// Length in bytes of the character that begins at `pos` (REQUIRES: pos < text.size()).
std::size_t characterLength(const std::string& text, std::size_t pos);

std::size_t characterCount(const std::string& text);

// The first `count` characters of the text (the whole text when it is shorter).
std::string leadingCharacters(const std::string& text, std::size_t count);

// Whether one of the text's characters is the single-byte character `c`: a byte inside a
// double-byte character does not count.
bool holdsCharacter(const std::string& text, char c);

// Whether the text's last character is the single-byte character `c`.
bool endsWithCharacter(const std::string& text, char c);

// The position of the last character that is one of the single-byte characters of `set`, or
// npos when there is none.
std::size_t findLastCharacterOf(const std::string& text, const std::string& set);

// Whether every byte is below 0x80: such text is its own code points in every local encoding.
bool isAscii(const std::string& text);

// The Unicode code points of the text as the host decodes it. A byte that begins no whole
// character stands for the code point of its value (U+0080 to U+00FF).
std::u32string codePoints(const std::string& localText);

// UTF-8 text as local 8-bit text: unchanged where the local encoding is UTF-8; on Windows in
// the ANSI code page, each character it lacks written as "?".
std::string localFromUtf8(const std::string& utf8);

// The characters of a name as the package compiler reads them into the package: on Windows
// through the ANSI code page; elsewhere as UTF-8 where the whole name is valid UTF-8, else
// each byte as Windows-1252.
std::u32string packagedCodePoints(const std::string& name);

// The path that local 8-bit text names (a command-line argument, say).
std::filesystem::path pathFromLocal(const std::string& localText);

// A path as local 8-bit text, for the 8-bit file functions (on Windows std::filesystem would
// give its text as UTF-8); each character the ANSI code page lacks written as "?".
std::string localText(const std::filesystem::path& path);

}  // namespace tovrin
