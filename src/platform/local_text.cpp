#include "src/platform/local_text.h"

#include "src/text/utf8.h"

namespace tovrin {
namespace {

// Length in bytes of the character that starts at `pos`.
std::size_t characterLength(const std::string& text, std::size_t pos) {
#ifdef _WIN32
    (void)text;
    (void)pos;
    return 1;
#else
    const std::size_t length = utf8CharacterLength(text, pos);
    return length ? length : 1;
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
