#pragma once
// The 9.x package script of a build for S60 3rd edition and later: the folder rule of the pre-9
// script (every file below the project folder to the same path on "!:"), the same language,
// name, UID and version, a vendor, the platform dependency, and the about text shown at
// installation.

#include <cstdint>
#include <string>
#include <vector>

#include "src/package/package_settings.h"

namespace tovrin {

struct Sis9Settings {
    std::string vendor = "Tovrin";  // holds no '"' nor control character
    uint32_t platform = 0x101F7961;  // S60 3rd edition and later
};

// Lines without their ends, as packageScript gives them: the language (when one is chosen), the
// header, the localised and unique vendor, the platform (when s.supportAll), the about text as
// a text shown at installation (FT, TC: the user may go on), then a line per entry.
std::vector<std::string> packageScript9(const PackageSettings& s, const Sis9Settings& n,
                                        const std::string& aboutFile,
                                        const std::vector<std::string>& entries);

// The UID rule phones apply to a package that is signed by a certificate of its maker's own:
// UIDs below 0x80000000 are protected and need a trusted signature. The message that says
// which range to use, or the empty text when `uid` (hexadecimal digits) may be used. A UID that
// is not hexadecimal is left to the compiler, which names it.
std::string checkSelfSignedUid(const std::string& uid);

}  // namespace tovrin
