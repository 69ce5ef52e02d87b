#include "src/sis/sis_text.h"

#include "src/text/utf16.h"
#include "src/text/utf8.h"
#include "src/text/windows1252.h"

namespace tovrin::sis {
std::string utf16leToUtf8(const uint8_t* data, size_t size) {
    return tovrin::utf16leToUtf8(data, size);
}

std::string cp1252ToUtf8(const uint8_t* data, size_t size) {
    std::string out;
    out.reserve(size);
    for (size_t i = 0; i < size; ++i) appendUtf8(out, windows1252CodePoint(data[i]));
    return out;
}

}  // namespace tovrin::sis
