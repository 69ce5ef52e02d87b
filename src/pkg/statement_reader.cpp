#include "src/pkg/statement_reader.h"

#include <algorithm>

#include "src/pkg/text_encoding.h"

namespace tovrin::makesis {

bool isKeyword(const std::u16string& word, const Keyword& k) {
    return sameWord(word, k.shortName) || (k.longName && sameWord(word, k.longName));
}

bool isKeyword(const Token& t, const Keyword& k) {
    return t.kind == TokenKind::Word && isKeyword(t.text, k);
}

bool isWord(const Token& t, const char* word) {
    return t.kind == TokenKind::Word && sameWord(t.text, word);
}

bool isMark(const Token& t, const char* mark) {
    if (t.isSymbol(mark)) return true;
    return t.kind == TokenKind::Unknown && t.text.size() == 1 && mark[1] == '\0' &&
           t.text[0] == static_cast<char16_t>(mark[0]);
}

bool StatementReader::fail(int line, std::string message, std::string detail) {
    diags_.push_back({line, std::move(message), std::move(detail)});
    return false;
}

bool StatementReader::expected(const std::string& what) {
    const Token& t = lexer_.peek();
    if (t.kind == TokenKind::Error) return fail(t.line, t.describe());
    const int line = inCondition_ ? std::min(t.line, lexer_.lastLine()) : t.line;
    fail(line, "Expected " + what + " read " + t.describe());
    return fail(line, "unexpected text");
}

bool StatementReader::expectMark(const char* mark) {
    if (!isMark(lexer_.peek(), mark)) return expected(mark);
    lexer_.next();
    return true;
}

bool StatementReader::readNumber(int64_t& value) {
    bool negative = false;
    if (lexer_.peek().isSymbol("-")) {
        lexer_.next();
        negative = true;
    }
    const Token& t = lexer_.peek();
    if (t.kind != TokenKind::Number) return expected("numeric value");
    if (t.overflow || (negative && t.number > 0x80000000u)) {
        return fail(t.line, "number out of range (it must fit in 32 bits)");
    }
    value = negative ? -static_cast<int64_t>(t.number) : static_cast<int64_t>(t.number);
    lexer_.next();
    return true;
}

bool StatementReader::readUint(uint32_t& value) {
    int64_t number;
    if (!readNumber(number)) return false;
    value = static_cast<uint32_t>(number);
    return true;
}

bool StatementReader::readString(std::u16string& value, int* line) {
    const Token& t = lexer_.peek();
    if (t.kind != TokenKind::String) return expected("quoted string");
    if (line) *line = t.line;
    value = readableText(lexer_.next().text);
    return true;
}

bool StatementReader::readNames(std::vector<std::u16string>& names, size_t count) {
    if (!expectMark("{")) return false;
    names.assign(count, {});
    for (size_t i = 0; i < count; ++i) {
        if (!readString(names[i])) return false;
        if (!expectMark(i + 1 < count ? "," : "}")) return false;
    }
    return true;
}

bool StatementReader::readUid(uint32_t& uid) {
    return expectMark("(") && readUint(uid) && expectMark(")");
}

bool StatementReader::needHeader(const Token& at) {
    if (headerDefined_) return true;
    return fail(at.line, "the installation header has not been defined");
}

}  // namespace tovrin::makesis
