#include "src/scan/path_text.h"

#include "src/platform/path.h"

namespace tovrin {

std::string TrimAtNul(const std::string& text) { return text.substr(0, text.find('\0')); }

std::string AddBackslash(const std::string& path) {
    if (!path.empty() && path.back() == kSeparator) return path;
    return path + kSeparator;
}

}  // namespace tovrin
