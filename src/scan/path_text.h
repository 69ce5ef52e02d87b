#pragma once
// The two small text functions of the folder walk.

#include <string>

namespace tovrin {

// The characters of `text` before its first NUL, or all of it when it holds none.
std::string TrimAtNul(const std::string& text);

// `path` with the native separator appended unless it already ends in one; "" gives the
// separator alone.
std::string AddBackslash(const std::string& path);

}  // namespace tovrin
