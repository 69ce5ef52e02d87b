#pragma once
// Taking the application UID from an existing package: its first four bytes, a little-endian
// 32-bit word, written as 8 uppercase hexadecimal digits.

#include <cstdint>
#include <string>

#include "platform/window.h"

namespace tovrin {

// Pads a hexadecimal byte text to two characters: "A" gives "0A".
std::string forstr(const std::string& value);

// The UID text of a file's first bytes; missing bytes of a file shorter than four bytes
// count as 00.
std::string uidText(const std::string& firstBytes);

// "Take from a file": asks for a package and sets txtUID from it. A cancelled dialog
// changes nothing; a file that cannot be read gives an "Error" box naming it.
void readUi_Click(Window& window);

}  // namespace tovrin
