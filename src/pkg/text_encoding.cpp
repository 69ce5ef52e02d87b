#include "src/pkg/text_encoding.h"

#include <algorithm>
#include <array>

#include "src/platform/ansi_code_page.h"
#include "src/sis/sis_text.h"
#include "src/text/utf16.h"
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

// Bytes from 0x80 up of a quoted string that is not UTF-8, carried in the text as the low
// surrogates U+DC80 to U+DCFF (see decodeScript); only where file names are bytes.
#ifdef _WIN32
constexpr bool kCarriesBytes = false;
#else
constexpr bool kCarriesBytes = true;
#endif
constexpr char16_t kCarriedBase = 0xDC00;

bool isCarriedByte(char16_t unit) { return kCarriesBytes && unit >= 0xDC80 && unit <= 0xDCFF; }

std::u16string decodeAs(TextEncoding encoding, std::string_view bytes) {
    std::string units;
    Utf16Converter converter(encoding);
    converter.convert(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), units);
    converter.finish(units);
    std::u16string text;
    text.reserve(units.size() / 2);
    for (size_t i = 0; i + 1 < units.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<uint8_t>(units[i]) |
                                             (static_cast<uint8_t>(units[i + 1]) << 8)));
    }
    return text;
}

bool isUtf8(std::string_view bytes) {
    Utf8Checker checker;
    checker.update(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return checker.valid();
}

// The pieces of the script as the lexer will see them: a ";" outside a string starts a
// comment that runs to the end of the line, and a '"' outside a comment starts a string that
// runs to the next '"' on the same line. Everything outside strings is read as Windows-1252.
std::u16string decodeStringByString(std::string_view bytes) {
    std::u16string text;
    size_t pos = 0;
    const auto plainTo = [&](size_t end) {
        end = std::min(end, bytes.size());
        text += decodeAs(TextEncoding::Windows1252, bytes.substr(pos, end - pos));
        pos = end;
    };
    while (pos < bytes.size()) {
        const size_t start = bytes.find_first_of(";\"", pos);
        plainTo(start);
        if (start == std::string_view::npos) break;
        if (bytes[start] == ';') {
            plainTo(bytes.find('\n', start));
            continue;
        }
        const size_t close = bytes.find_first_of("\"\n", start + 1);
        if (close == std::string_view::npos || bytes[close] != '"') {
            plainTo(close);  // unterminated: the lexer reports it
            continue;
        }
        const std::string_view body = bytes.substr(start + 1, close - start - 1);
        text.push_back(u'"');
        if (isUtf8(body)) {
            text += decodeAs(TextEncoding::Utf8, body);
        } else {
            for (const char c : body) {
                const auto b = static_cast<uint8_t>(c);
                text.push_back(b < 0x80 ? b : static_cast<char16_t>(kCarriedBase + b));
            }
        }
        text.push_back(u'"');
        pos = close + 1;
    }
    return text;
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

void Utf16Converter::putCodePoint(uint32_t cp, std::string& out) { appendUtf16le(out, cp); }

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
    // On Windows the wizard writes its script in the ANSI code page: in a double-byte one that
    // reading wins over UTF-8 by chance; a UTF-8 script there says so with its BOM.
    const bool utf8 =
        isUtf8(bytes) && (bytes.substr(0, 3) == "\xEF\xBB\xBF" || !isDoubleByteAnsiText(bytes));
    const TextEncoding encoding = detectEncoding(bytes.substr(0, 2), utf8);
    std::u16string text = kCarriesBytes && encoding == TextEncoding::Windows1252
                              ? decodeStringByString(bytes)
                              : decodeAs(encoding, bytes);
    if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
    return text;
}

std::u16string readableText(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& unit : out)
        if (isCarriedByte(unit)) unit = eightBitHigh()[unit - kCarriedBase - 0x80];
    return out;
}

std::string nameBytes(std::u16string_view text) {
    std::string out;
    size_t run = 0;  // start of the text not yet written
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isCarriedByte(text[i])) continue;
        out += toUtf8(text.substr(run, i - run));
        if (i < text.size()) out.push_back(static_cast<char>(text[i] - kCarriedBase));
        run = i + 1;
    }
    return out;
}

std::string toUtf8(std::u16string_view text) { return utf16ToUtf8(text); }

std::u16string fromUtf8(std::string_view text) {
    return decodeAs(isUtf8(text) ? TextEncoding::Utf8 : TextEncoding::Windows1252, text);
}

}  // namespace tovrin::makesis
