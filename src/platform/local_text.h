#pragma once
// Character counts of 8-bit text in the host's local encoding. On Windows the ANSI code page
// is taken as one byte per character; elsewhere the locale's encoding is UTF-8, so a character
// is one valid UTF-8 character (text/utf8.h), and a byte that does not begin one counts as one
// character.

#include <cstddef>
#include <filesystem>
#include <string>

namespace tovrin {

std::size_t characterCount(const std::string& text);

// The first `count` characters of the text (the whole text when it is shorter).
std::string leadingCharacters(const std::string& text, std::size_t count);

// UTF-8 text as local 8-bit text: unchanged where the local encoding is UTF-8; on Windows in
// the ANSI code page, a character it lacks written as its closest match or "?".
std::string localFromUtf8(const std::string& utf8);

// The characters of local 8-bit text as Unicode code points, as the package compiler reads
// them: on Windows through the ANSI code page; elsewhere as UTF-8 where the whole text is
// valid UTF-8, else each byte as Windows-1252.
std::u32string codePoints(const std::string& localText);

// A path as local 8-bit text, for the 8-bit file functions (on Windows std::filesystem would
// give its text as UTF-8).
std::string localText(const std::filesystem::path& path);

}  // namespace tovrin
