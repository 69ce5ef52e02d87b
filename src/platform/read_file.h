#pragma once
#include <string>

namespace tovrin {

// Reads a whole file as bytes. False when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string* bytes);

}  // namespace tovrin
