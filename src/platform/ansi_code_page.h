#pragma once
// The host's 8-bit ANSI code page, for text that is not UTF-8.

#include <cstdint>
#include <string_view>

namespace tovrin {

// The character (a UTF-16 unit) of a byte from 0x80 to 0xFF in the host's ANSI code page.
// Returns 0 where the host has no ANSI code page (everywhere but Windows) or the byte has no
// single-byte meaning in it; the caller then reads the byte as Windows-1252.
uint16_t ansiCharacter(uint8_t byte);

// Whether the byte begins a two-byte character in the host's ANSI code page (the double-byte
// code pages 932, 936, 949 and 950); false where the host has no ANSI code page.
bool isAnsiLeadByte(uint8_t byte);

// Whether the host's ANSI code page is a double-byte one and the text is valid text of it.
// Such text is often valid UTF-8 by chance as well (路 is C2 B7 in code page 936, the UTF-8 of
// "·"), so a script that is both is read in the ANSI code page. False elsewhere.
bool isDoubleByteAnsiText(std::string_view text);

// The character of a lead byte and the byte after it in the host's ANSI code page, or 0 when
// the two make none.
uint16_t ansiCharacter(uint8_t lead, uint8_t trail);

}  // namespace tovrin
