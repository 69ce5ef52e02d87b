#include "src/sis/sis_text.h"

#include "src/text/utf8.h"
#include "src/text/windows1252.h"

namespace tovrin::sis {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;

}  // namespace

std::string utf16leToUtf8(const uint8_t* data, size_t size) {
    std::string out;
    out.reserve(size);
    size_t i = 0;
    while (i + 1 < size) {
        uint32_t unit = data[i] | (data[i + 1] << 8);
        i += 2;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < size) {
            const uint32_t low = data[i] | (data[i + 1] << 8);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                i += 2;
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                continue;
            }
        }
        appendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? kReplacement : unit);
    }
    if (i < size) appendUtf8(out, kReplacement);
    return out;
}

std::string cp1252ToUtf8(const uint8_t* data, size_t size) {
    std::string out;
    out.reserve(size);
    for (size_t i = 0; i < size; ++i) appendUtf8(out, windows1252CodePoint(data[i]));
    return out;
}

}  // namespace tovrin::sis
