#include "src/scan/path_text.h"

#include "src/platform/local_text.h"
#include "src/platform/path.h"

namespace tovrin {

std::string TrimAtNul(const std::string& text) { return text.substr(0, text.find('\0')); }

std::string AddBackslash(const std::string& path) {
    // The last character, not byte: in a double-byte code page a name may end in 0x5C.
    if (endsWithCharacter(path, kSeparator)) return path;
    return path + kSeparator;
}

}  // namespace tovrin
