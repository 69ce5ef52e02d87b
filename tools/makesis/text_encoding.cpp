#include "tools/makesis/text_encoding.h"

#include <array>

#include "src/platform/ansi_code_page.h"
#include "src/sis/sis_text.h"
#include "src/text/utf8.h"

namespace tovrin::makesis {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;

// Code points of bytes 0x80-0xFF in the host's ANSI code page, or, where the host has none,
// in Windows-1252 (taken from the format library's table).
const std::array<uint16_t, 128>& eightBitHigh() {
    static const std::array<uint16_t, 128> table = [] {
        std::array<uint16_t, 128> t{};
        for (int b = 0x80; b <= 0xFF; ++b) {
            const uint8_t byte = static_cast<uint8_t>(b);
            if (const uint16_t ansi = ansiCharacter(byte)) {
                t[b - 0x80] = ansi;
                continue;
            }
            const std::u16string unit = fromUtf8(sis::cp1252ToUtf8(&byte, 1));
            t[b - 0x80] = unit.size() == 1 ? static_cast<uint16_t>(unit[0]) : kReplacement;
        }
        return t;
    }();
    return table;
}

// Which of the bytes 0x80-0xFF begin a two-byte character in the host's ANSI code page.
const std::array<bool, 128>& ansiLeadBytes() {
    static const std::array<bool, 128> table = [] {
        std::array<bool, 128> t{};
        for (int b = 0x80; b <= 0xFF; ++b) t[b - 0x80] = isAnsiLeadByte(static_cast<uint8_t>(b));
        return t;
    }();
    return table;
}

}  // namespace

TextEncoding detectEncoding(std::string_view head, bool validUtf8) {
    if (head.size() >= 2) {
        const auto b0 = static_cast<uint8_t>(head[0]);
        const auto b1 = static_cast<uint8_t>(head[1]);
        if (b0 == 0xFF && b1 == 0xFE) return TextEncoding::Utf16Le;
        if (b0 == 0xFE && b1 == 0xFF) return TextEncoding::Utf16Be;
    }
    return validUtf8 ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

void Utf16Converter::putUnit(uint32_t unit, std::string& out) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>((unit >> 8) & 0xFF));
}

void Utf16Converter::putCodePoint(uint32_t cp, std::string& out) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        putUnit(0xD800 + (cp >> 10), out);
        putUnit(0xDC00 + (cp & 0x3FF), out);
    } else {
        putUnit(cp, out);
    }
}

void Utf16Converter::convert(const uint8_t* data, size_t size, std::string& out) {
    switch (encoding_) {
    case TextEncoding::Utf16Le: out.append(reinterpret_cast<const char*>(data), size); return;
    case TextEncoding::Utf16Be:
        for (size_t i = 0; i < size; ++i) {
            if (!haveOdd_) {
                odd_ = data[i];
                haveOdd_ = true;
            } else {
                out.push_back(static_cast<char>(data[i]));
                out.push_back(static_cast<char>(odd_));
                haveOdd_ = false;
            }
        }
        return;
    case TextEncoding::Windows1252:
        for (size_t i = 0; i < size; ++i) {
            const uint8_t b = data[i];
            if (haveLead_) {  // the second byte of a double-byte character
                haveLead_ = false;
                const uint16_t unit = ansiCharacter(lead_, b);
                putUnit(unit ? unit : kReplacement, out);
            } else if (b >= 0x80 && ansiLeadBytes()[b - 0x80]) {
                lead_ = b;
                haveLead_ = true;
            } else {
                putUnit(b < 0x80 ? b : eightBitHigh()[b - 0x80], out);
            }
        }
        return;
    case TextEncoding::Utf8:
        for (size_t i = 0; i < size; ++i) {
            const uint8_t b = data[i];
            if (pending_ == 0) {
                const int n = utf8ContinuationCount(b);
                if (n <= 0) {
                    putCodePoint(n == 0 ? b : kReplacement, out);
                } else {
                    pending_ = n;
                    cp_ = b & (0x3F >> n);
                }
            } else {
                cp_ = (cp_ << 6) | (b & 0x3F);
                if (--pending_ == 0) putCodePoint(cp_, out);
            }
        }
        return;
    }
}

void Utf16Converter::finish(std::string& out) {
    // Unchanged UTF-16LE input already holds any odd final byte; a byte-swapped one keeps it too.
    if (encoding_ == TextEncoding::Utf16Be && haveOdd_) out.push_back(static_cast<char>(odd_));
    if (encoding_ == TextEncoding::Utf8 && pending_ != 0) putCodePoint(kReplacement, out);
    if (haveLead_) putUnit(kReplacement, out);
    haveLead_ = false;
    haveOdd_ = false;
    pending_ = 0;
}

std::u16string decodeScript(std::string_view bytes) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    Utf8Checker checker;
    checker.update(data, bytes.size());
    // On Windows the wizard writes its script in the ANSI code page: in a double-byte one that
    // reading wins over UTF-8 by chance; a UTF-8 script there says so with its BOM.
    const bool utf8 =
        checker.valid() && (bytes.substr(0, 3) == "\xEF\xBB\xBF" || !isDoubleByteAnsiText(bytes));
    Utf16Converter converter(detectEncoding(bytes.substr(0, 2), utf8));
    std::string units;
    converter.convert(data, bytes.size(), units);
    converter.finish(units);
    std::u16string text;
    text.reserve(units.size() / 2);
    for (size_t i = 0; i + 1 < units.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<uint8_t>(units[i]) |
                                             (static_cast<uint8_t>(units[i + 1]) << 8)));
    }
    if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
    return text;
}

std::string toUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            unit = kReplacement;
        }
        appendUtf8(out, unit);
    }
    return out;
}

std::u16string fromUtf8(std::string_view text) {
    std::string units;
    Utf8Checker checker;
    checker.update(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    Utf16Converter converter(checker.valid() ? TextEncoding::Utf8 : TextEncoding::Windows1252);
    converter.convert(reinterpret_cast<const uint8_t*>(text.data()), text.size(), units);
    converter.finish(units);
    std::u16string out;
    for (size_t i = 0; i + 1 < units.size(); i += 2) {
        out.push_back(static_cast<char16_t>(static_cast<uint8_t>(units[i]) |
                                            (static_cast<uint8_t>(units[i + 1]) << 8)));
    }
    return out;
}

}  // namespace tovrin::makesis
