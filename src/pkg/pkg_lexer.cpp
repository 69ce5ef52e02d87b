#include "src/pkg/pkg_lexer.h"

#include <cstdio>
#include <utility>

#include "src/text/windows1252.h"
#include "src/pkg/text_encoding.h"

namespace tovrin::makesis {
namespace {

bool isDigit(char16_t c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char16_t c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool isWordStart(char16_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool isWordChar(char16_t c) { return isWordStart(c) || isDigit(c); }
bool isBlank(char16_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
unsigned hexValue(char16_t c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

// Reads a decimal or 0x-hex number at `pos`; saturates and flags values above 32 bits.
size_t readNumber(const std::u16string& text, size_t pos, uint64_t& value, bool& overflow) {
    value = 0;
    overflow = false;
    const bool hex =
        text[pos] == '0' && pos + 1 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X');
    if (hex) {
        pos += 2;
        for (; pos < text.size() && isHexDigit(text[pos]); ++pos) {
            value = value * 16 + hexValue(text[pos]);
            if (value > 0xFFFFFFFFu) {
                overflow = true;
                value = 0xFFFFFFFFu;
            }
        }
    } else {
        for (; pos < text.size() && isDigit(text[pos]); ++pos) {
            value = value * 10 + (text[pos] - '0');
            if (value > 0xFFFFFFFFu) {
                overflow = true;
                value = 0xFFFFFFFFu;
            }
        }
    }
    return pos;
}

}  // namespace

bool sameWord(const std::u16string& word, const char* keyword) {
    size_t i = 0;
    for (; keyword[i] != '\0'; ++i) {
        if (i >= word.size()) return false;
        char16_t c = word[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char16_t>(c - 'a' + 'A');
        char k = keyword[i];
        if (k >= 'a' && k <= 'z') k = static_cast<char>(k - 'a' + 'A');
        if (c != static_cast<char16_t>(k)) return false;
    }
    return i == word.size();
}

bool Token::isSymbol(const char* symbol) const {
    if (kind != TokenKind::Symbol) return false;
    size_t i = 0;
    for (; symbol[i] != '\0'; ++i) {
        if (i >= text.size() || text[i] != static_cast<char16_t>(symbol[i])) return false;
    }
    return i == text.size();
}

std::string Token::describe() const {
    switch (kind) {
    case TokenKind::End: return "end of file";
    case TokenKind::Number: return "numeric value";
    case TokenKind::String: return "quoted string";
    case TokenKind::Word: return "alphanumeric value '" + toUtf8(text) + "'";
    case TokenKind::Symbol: return toUtf8(text);
    case TokenKind::Unknown: {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(text.empty() ? 0 : text[0]));
        return "unknown character '" + toUtf8(text) + "' (" + hex + ")";
    }
    case TokenKind::Error: return toUtf8(text);
    }
    return {};
}

Lexer::Lexer(std::u16string text, bool eightBitCodes)
    : text_(std::move(text)), eightBitCodes_(eightBitCodes) {
    const size_t nul = text_.find(u'\0');
    if (nul != std::u16string::npos) text_.resize(nul);
    current_ = scan();
}

Token Lexer::next() {
    Token token = std::move(current_);
    lastLine_ = token.line;
    if (token.kind != TokenKind::End && token.kind != TokenKind::Error)
        current_ = scan();
    else
        current_ = token;
    return token;
}

void Lexer::skipBlanksAndComments() {
    while (pos_ < text_.size()) {
        const char16_t c = text_[pos_];
        if (c == '\n') {
            ++line_;
            ++pos_;
        } else if (isBlank(c) || (c == 0xFEFF && pos_ == 0)) {
            ++pos_;
        } else if (c == ';') {
            while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
        } else {
            return;
        }
    }
}

// "<" followed by a number and ">" is a character code; anything else is the operator "<".
bool Lexer::atCharacterCode() const {
    size_t p = pos_ + 1;
    if (p >= text_.size() || !isDigit(text_[p])) return false;
    uint64_t value;
    bool overflow;
    p = readNumber(text_, p, value, overflow);
    return p < text_.size() && text_[p] == '>';
}

bool Lexer::scanCharacterCode(Token& token) {
    uint64_t value;
    bool overflow;
    pos_ = readNumber(text_, pos_ + 1, value, overflow) + 1;
    if (eightBitCodes_) {
        const char32_t cp =
            value > 0xFF ? 0xFFFD : windows1252CodePoint(static_cast<uint8_t>(value));
        if (overflow || cp == 0xFFFD) {
            token.kind = TokenKind::Error;
            token.text =
                u"invalid character value: an 8-bit package takes codes of Windows-1252 "
                u"characters, 0 to 255";
            return false;
        }
        token.text.push_back(static_cast<char16_t>(cp));
        return true;
    }
    // C1 controls are where Windows-1252 keeps its extra letters: a code there is almost
    // certainly meant as 8-bit text, so it is refused rather than stored as a control.
    if (overflow || value > 0xFFFF || (value >= 0x80 && value <= 0x9F) ||
        (value >= 0xD800 && value <= 0xDFFF)) {
        token.kind = TokenKind::Error;
        token.text = u"invalid UNICODE character value";
        return false;
    }
    token.text.push_back(static_cast<char16_t>(value));
    return true;
}

Token Lexer::scan() {
    skipBlanksAndComments();
    Token token;
    token.line = line_;
    if (pos_ >= text_.size()) return token;

    const char16_t c = text_[pos_];
    if (c == '"' || (c == '<' && atCharacterCode())) {
        token.kind = TokenKind::String;
        while (pos_ < text_.size()) {
            if (text_[pos_] == '"') {
                const size_t close = text_.find_first_of(u"\"\n", pos_ + 1);
                if (close == std::u16string::npos || text_[close] != '"') {
                    token.kind = TokenKind::Error;
                    token.text = u"unterminated string: a closing \" is missing on this line";
                    return token;
                }
                token.text.append(text_, pos_ + 1, close - pos_ - 1);
                pos_ = close + 1;
            } else if (text_[pos_] == '<' && atCharacterCode()) {
                if (!scanCharacterCode(token)) return token;
            } else {
                break;
            }
        }
        return token;
    }
    if (isDigit(c)) {
        token.kind = TokenKind::Number;
        pos_ = readNumber(text_, pos_, token.number, token.overflow);
        return token;
    }
    if (isWordStart(c)) {
        token.kind = TokenKind::Word;
        const size_t start = pos_;
        while (pos_ < text_.size() && isWordChar(text_[pos_])) ++pos_;
        token.text = text_.substr(start, pos_ - start);
        return token;
    }
    static const std::u16string kSymbols = u"&#{}(),-=!*+@<>";
    if (kSymbols.find(c) != std::u16string::npos) {
        token.kind = TokenKind::Symbol;
        token.text.push_back(c);
        ++pos_;
        if (pos_ < text_.size() && ((c == '<' && (text_[pos_] == '=' || text_[pos_] == '>')) ||
                                    (c == '>' && text_[pos_] == '='))) {
            token.text.push_back(text_[pos_++]);
        }
        return token;
    }
    token.kind = TokenKind::Unknown;
    token.text.push_back(c);
    ++pos_;
    return token;
}

}  // namespace tovrin::makesis
