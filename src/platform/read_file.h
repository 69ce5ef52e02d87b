#pragma once
#include <string>

namespace tovrin {

// Reads a whole file as bytes. False when it cannot be opened or read (a folder cannot be
// read either); *error, when given, then says why.
bool readWholeFile(const std::string& path, std::string* bytes, std::string* error = nullptr);

}  // namespace tovrin
