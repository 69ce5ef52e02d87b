#pragma once
// UTF-8, judged strictly everywhere in the project: a character is one to four bytes with no
// overlong form, no surrogate (U+D800 to U+DFFF) and nothing above U+10FFFF. Text that breaks
// these rules is not UTF-8; its callers then read it as an 8-bit code page.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tovrin {

// Continuation bytes that follow a lead byte: 0 for ASCII, 1 to 3, or -1 for a byte that
// cannot begin a character (a continuation byte, C0, C1, F5 to FF).
int utf8ContinuationCount(uint8_t lead);

// Length in bytes of the character that begins at `pos`, or 0 when the bytes there are not
// a whole, valid UTF-8 character.
std::size_t utf8CharacterLength(std::string_view text, std::size_t pos);

// The same check over a text fed piece by piece; a character cut off at the end makes the
// whole text invalid.
class Utf8Checker {
public:
    void update(const uint8_t* data, std::size_t size);
    bool valid() const { return !bad_ && pending_ == 0; }

private:
    int pending_ = 0;        // continuation bytes still expected
    int continuations_ = 0;  // of the current character
    uint32_t cp_ = 0;
    bool bad_ = false;
};

// Appends the UTF-8 form of one code point (REQUIRES: cp <= 0x10FFFF).
void appendUtf8(std::string& out, uint32_t cp);

}  // namespace tovrin
