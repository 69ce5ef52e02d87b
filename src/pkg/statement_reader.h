#pragma once
// What the parsers of both script languages read alike: expected marks, numbers, strings,
// names one per language, UIDs, and the messages for what was expected instead.

#include <cstdint>
#include <string>
#include <vector>

#include "src/pkg/pkg_lexer.h"
#include "src/pkg/pkg_parser.h"

namespace tovrin::makesis {

// A keyword in its short and (when it has one) long spelling: FT and FILETEXT.
struct Keyword {
    const char* shortName;
    const char* longName;
};

bool isKeyword(const std::u16string& word, const Keyword& k);
bool isKeyword(const Token& t, const Keyword& k);
bool isWord(const Token& t, const char* word);
// A symbol, or one of the characters only the 9.x language uses (% : [ ] ~), which the lexer
// gives as unknown characters.
bool isMark(const Token& t, const char* mark);

class StatementReader {
protected:
    StatementReader(Lexer lexer, std::vector<Diagnostic>& diagnostics)
        : lexer_(std::move(lexer)), diags_(diagnostics) {}
    virtual ~StatementReader() = default;

    bool fail(int line, std::string message, std::string detail = {});
    // "Expected <what> read <what is there>", then "unexpected text"; false.
    bool expected(const std::string& what);
    bool expectMark(const char* mark);
    // A number with an optional leading "-" that fits in 32 bits.
    bool readNumber(int64_t& value);
    // The same, a negative value wrapped to 32 bits.
    bool readUint(uint32_t& value);
    // A quoted string as the script shows it; a parser may check it further.
    virtual bool readString(std::u16string& value, int* line = nullptr);
    // "{" then exactly `count` strings separated by ",", then "}".
    bool readNames(std::vector<std::u16string>& names, size_t count);
    bool readUid(uint32_t& uid);
    bool needHeader(const Token& at);

    Lexer lexer_;
    std::vector<Diagnostic>& diags_;
    bool languagesDefined_ = false;
    bool headerDefined_ = false;
    bool anyStatement_ = false;
    // While a condition is read, one cut short at the end of its line is reported there, not
    // at the line where the next token stands.
    bool inCondition_ = false;
};

}  // namespace tovrin::makesis
