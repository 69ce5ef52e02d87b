#pragma once
// Path pieces on the computer use the host's native separator; targets on the phone always
// use "\" (see the package script writer).

#include <string>

namespace tovrin {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices in every folder, with any extension.
inline constexpr bool kDeviceNamesReserved = true;
#else
inline constexpr char kSeparator = '/';
inline constexpr bool kDeviceNamesReserved = false;
#endif

// "<app><sep>bin<sep><name>": a file in the application folder's bin folder.
inline std::string binFile(const std::string& appFolder, const std::string& name) {
    return appFolder + kSeparator + "bin" + kSeparator + name;
}

}  // namespace tovrin
