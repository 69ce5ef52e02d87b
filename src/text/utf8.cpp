#include "src/text/utf8.h"

namespace tovrin {
namespace {

uint32_t smallestCodePoint(int continuations) {
    return continuations == 1 ? 0x80 : continuations == 2 ? 0x800 : 0x10000;
}

bool acceptable(uint32_t cp, int continuations) {
    return cp >= smallestCodePoint(continuations) && cp <= 0x10FFFF &&
           !(cp >= 0xD800 && cp <= 0xDFFF);
}

}  // namespace

int utf8ContinuationCount(uint8_t b) {
    if (b < 0x80) return 0;
    if (b >= 0xC2 && b <= 0xDF) return 1;
    if (b >= 0xE0 && b <= 0xEF) return 2;
    if (b >= 0xF0 && b <= 0xF4) return 3;
    return -1;
}

std::size_t utf8CharacterLength(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return 0;
    const uint8_t lead = static_cast<uint8_t>(text[pos]);
    const int n = utf8ContinuationCount(lead);
    if (n == 0) return 1;
    if (n < 0 || text.size() - pos <= static_cast<std::size_t>(n)) return 0;
    uint32_t cp = lead & (0x3F >> n);
    for (int i = 1; i <= n; ++i) {
        const uint8_t b = static_cast<uint8_t>(text[pos + i]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    return acceptable(cp, n) ? static_cast<std::size_t>(n) + 1 : 0;
}

void Utf8Checker::update(const uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size && !bad_; ++i) {
        const uint8_t b = data[i];
        if (pending_ == 0) {
            const int n = utf8ContinuationCount(b);
            if (n < 0) bad_ = true;
            pending_ = continuations_ = n > 0 ? n : 0;
            cp_ = b & (0x3F >> pending_);
            continue;
        }
        if ((b & 0xC0) != 0x80) {
            bad_ = true;
            continue;
        }
        cp_ = (cp_ << 6) | (b & 0x3F);
        if (--pending_ == 0 && !acceptable(cp_, continuations_)) bad_ = true;
    }
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace tovrin
