#pragma once
// Path pieces on the computer use the host's native separator; targets on the phone always
// use "\" (see the package script writer).

#include <string>

namespace tovrin {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// "<app><sep>bin<sep><name>": a file in the application folder's bin folder.
inline std::string binFile(const std::string& appFolder, const std::string& name) {
    return appFolder + kSeparator + "bin" + kSeparator + name;
}

}  // namespace tovrin
