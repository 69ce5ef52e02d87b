#pragma once
// The host's 8-bit ANSI code page, for text that is not UTF-8.

#include <cstdint>

namespace tovrin {

// The character (a UTF-16 unit) of a byte from 0x80 to 0xFF in the host's ANSI code page.
// Returns 0 where the host has no ANSI code page (everywhere but Windows) or the byte has no
// single-byte meaning in it; the caller then reads the byte as Windows-1252.
uint16_t ansiCharacter(uint8_t byte);

}  // namespace tovrin
