#include "src/sis/sis_text.h"

#include "src/text/utf8.h"

namespace tovrin::sis {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;

// Windows-1252 positions 0x80-0x9F; 0 marks the five undefined ones.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

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
    for (size_t i = 0; i < size; ++i) {
        const uint8_t b = data[i];
        if (b >= 0x80 && b < 0xA0) {
            const uint16_t cp = kCp1252High[b - 0x80];
            appendUtf8(out, cp ? cp : kReplacement);
        } else {
            appendUtf8(out, b);
        }
    }
    return out;
}

}  // namespace tovrin::sis
