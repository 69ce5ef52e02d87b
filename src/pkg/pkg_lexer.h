#pragma once
// Tokens of a package script. White space (blanks, tabs, CR, LF) separates tokens and is
// otherwise ignored, so a statement may run over several lines; ";" starts a comment that
// runs to the end of the line; a NUL character ends the script.
//
// A string is one or more directly adjacent pieces, each a quoted text (no escapes inside) or
// a character code "<n>" (decimal or 0x hex): "a"<34>"b" is the string a"b. Strings separated
// by white space are separate tokens, as in a language block {"a" "b"}.
//
// A code is a Unicode character, or with `eightBitCodes` (8-bit packages) a byte of
// Windows-1252, so "<153>" is U+2122 there.

#include <cstdint>
#include <string>

namespace tovrin::makesis {

enum class TokenKind {
    End,
    Number,  // digits, or 0x and hex digits ("0x" alone is 0)
    String,
    Word,     // letters, digits and "_", starting with a letter or "_"
    Symbol,   // & # { } ( ) , - = ! * + @ < > <= >= <>
    Unknown,  // a character no token starts with
    Error,    // a malformed string; `text` holds the message
};

struct Token {
    TokenKind kind = TokenKind::End;
    int line = 1;
    std::u16string text;    // String: its value; Word: as written; Symbol/Unknown: the character(s)
    uint64_t number = 0;    // Number: its value, saturated
    bool overflow = false;  // Number: more than 32 bits

    bool isSymbol(const char* symbol) const;
    // For messages: "numeric value", "quoted string", "alphanumeric value", "end of file", ...
    std::string describe() const;
};

class Lexer {
public:
    explicit Lexer(std::u16string text, bool eightBitCodes = false);

    const Token& peek() const { return current_; }
    Token next();
    // The line of the token next() returned last (1 before the first).
    int lastLine() const { return lastLine_; }

private:
    Token scan();
    void skipBlanksAndComments();
    bool scanCharacterCode(Token& token);
    bool atCharacterCode() const;

    std::u16string text_;
    bool eightBitCodes_;
    size_t pos_ = 0;
    int line_ = 1;
    int lastLine_ = 1;
    Token current_;
};

// ASCII case-insensitive equality of a word with a keyword.
bool sameWord(const std::u16string& word, const char* keyword);

}  // namespace tovrin::makesis
