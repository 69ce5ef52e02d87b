#include "src/text/windows1252.h"

namespace tovrin {
namespace {

// Positions 0x80-0x9F; 0 marks the five undefined ones. The rest is Latin-1.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

}  // namespace

char32_t windows1252CodePoint(uint8_t byte) {
    if (byte < 0x80 || byte >= 0xA0) return byte;
    const char16_t cp = kHigh[byte - 0x80];
    return cp ? cp : 0xFFFD;
}

bool windows1252Byte(char32_t codePoint, uint8_t* byte) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        *byte = static_cast<uint8_t>(codePoint);
        return true;
    }
    for (uint8_t i = 0; i < 32; ++i) {
        if (kHigh[i] != 0 && kHigh[i] == codePoint) {
            *byte = static_cast<uint8_t>(0x80 + i);
            return true;
        }
    }
    return false;
}

}  // namespace tovrin
