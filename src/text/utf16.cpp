#include "src/text/utf16.h"

#include "src/text/utf8.h"

namespace tovrin {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHigh(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLow(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
bool isSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDFFF; }

std::u16string unitsOf(const uint8_t* data, std::size_t size) {
    std::u16string units;
    units.reserve(size / 2);
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        units.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    }
    return units;
}

}  // namespace

char32_t nextCodePoint(std::u16string_view units, std::size_t* pos) {
    const char32_t unit = units[(*pos)++];
    if (isHigh(unit) && *pos < units.size() && isLow(units[*pos])) {
        return 0x10000 + ((unit - 0xD800) << 10) + (units[(*pos)++] - 0xDC00);
    }
    return unit;
}

std::string utf16ToUtf8(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size();) {
        const char32_t cp = nextCodePoint(units, &i);
        appendUtf8(out, isSurrogate(cp) ? kReplacement : cp);
    }
    return out;
}

std::string utf16leToUtf8(const uint8_t* data, std::size_t size) {
    std::string out = utf16ToUtf8(unitsOf(data, size));
    if (size % 2 != 0) appendUtf8(out, kReplacement);
    return out;
}

bool utf16leToUtf8Strict(const uint8_t* data, std::size_t size, std::string* utf8) {
    if (size % 2 != 0) return false;
    const std::u16string units = unitsOf(data, size);
    utf8->clear();
    for (std::size_t i = 0; i < units.size();) {
        const char32_t cp = nextCodePoint(units, &i);
        if (isSurrogate(cp)) return false;
        appendUtf8(*utf8, cp);
    }
    return true;
}

void appendUtf16(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

void appendUtf16le(std::string& out, char32_t cp) {
    std::u16string units;
    appendUtf16(units, cp);
    for (char16_t unit : units) {
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
    }
}

std::u16string utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<uint8_t>(utf8[i]);
        const int more = utf8ContinuationCount(lead);
        if (more <= 0) {
            out.push_back(static_cast<char16_t>(lead));
            ++i;
            continue;
        }
        char32_t cp = lead & (0x3F >> more);
        for (int k = 1; k <= more && i + k < utf8.size(); ++k) {
            cp = cp << 6 | (static_cast<uint8_t>(utf8[i + k]) & 0x3F);
        }
        appendUtf16(out, cp);
        i += more + 1;
    }
    return out;
}

}  // namespace tovrin
