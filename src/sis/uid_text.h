#pragma once
// The application UID of a package as text: its first four bytes, a little-endian 32-bit word,
// written as 8 uppercase hexadecimal digits.

#include <string>

namespace tovrin {

// Pads a hexadecimal byte text to two characters: "A" gives "0A".
std::string forstr(const std::string& value);

// The UID text of a file's first bytes; missing bytes of a file shorter than four bytes
// count as 00.
std::string uidText(const std::string& firstBytes);

// The UID text of the file at `path`, read from its first bytes. False, leaving *uid as it
// was, when the file cannot be read.
bool readUidText(const std::string& path, std::string* uid);

}  // namespace tovrin
