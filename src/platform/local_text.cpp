#include "platform/local_text.h"

namespace tovrin {
namespace {

// Length in bytes of the character that starts at `pos`.
std::size_t characterLength(const std::string& text, std::size_t pos) {
#ifdef _WIN32
    (void)text;
    (void)pos;
    return 1;
#else
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(pos);
    std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
    if (pos + length > text.size()) return 1;
    for (std::size_t i = 1; i < length; ++i)
        if ((byte(pos + i) & 0xC0) != 0x80) return 1;
    return length;
#endif
}

}  // namespace

std::size_t characterCount(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += characterLength(text, pos)) ++count;
    return count;
}

std::string leadingCharacters(const std::string& text, std::size_t count) {
    std::size_t pos = 0;
    for (; pos < text.size() && count > 0; --count) pos += characterLength(text, pos);
    return text.substr(0, pos);
}

}  // namespace tovrin
