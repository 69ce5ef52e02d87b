#include "src/pkg/pkg_parser.h"

#include <algorithm>
#include <cstdio>

#include "src/text/utf16.h"
#include "src/text/windows1252.h"
#include "src/pkg/condition_attributes.h"
#include "src/pkg/language_usage.h"
#include "src/pkg/pkg_lexer.h"
#include "src/pkg/statement_reader.h"
#include "src/pkg/text_encoding.h"

namespace tovrin::makesis {
namespace {

using sis::FileType;
using sis::NodeType;
using sis::RecordType;

constexpr size_t kMaxCount = 0xFFFF;  // header counts are u16
constexpr uint32_t kMaxLanguageNumber = 1000;
constexpr int kMaxConditionDepth = 64;  // brackets and NOTs inside one condition

// The first character of `text` that Windows-1252 lacks; 0 when there is none.
char32_t firstOutsideWindows1252(const std::u16string& text) {
    for (size_t i = 0; i < text.size();) {
        uint8_t byte;
        if (windows1252Byte(text[i], &byte)) {
            ++i;
            continue;
        }
        return nextCodePoint(text, &i);
    }
    return 0;
}

class Parser : StatementReader {
public:
    Parser(const std::u16string& script, const SourceFinder& findSource, Package& package,
           std::vector<Diagnostic>& diagnostics, bool er5, bool allowUnsigned)
        : StatementReader(Lexer(script, er5), diagnostics),
          findSource_(findSource),
          pkg_(package),
          er5_(er5),
          allowUnsigned_(allowUnsigned) {}

    bool run();

private:
    bool notInEr5(int line, const std::string& what, const std::string& why) {
        return fail(line, what + " cannot be used in an ER5 package: " + why);
    }
    // In an ER5 package every stored string is Windows-1252.
    bool storable(const std::u16string& text, int line);
    bool readString(std::u16string& value, int* line = nullptr) override;
    // A source's name keeps the bytes decodeScript carries until it has been looked up.
    bool readSourceName(Source& source, int* line);
    bool lookUp(Source& source, int line);
    bool readNames(std::vector<std::u16string>& names) {
        return StatementReader::readNames(names, pkg_.languages.size());
    }
    bool addRecord(Record record);

    bool parseLanguages();
    bool parseHeader();
    bool parseHeaderOption();
    bool parseRequisite();
    bool parseFileLine();
    bool parseLanguageBlock();
    bool parseComponent();
    bool parseSignature();
    bool parseFileOptions(Record& record, bool inBlock);
    bool finishFileRecord(Record& record, const std::vector<int>& sourceLines, int destLine);
    bool parseCondition(RecordType type);
    bool parseOr(Expression& out);
    bool parseAnd(Expression& out);
    bool parseUnary(Expression& out);
    bool parsePrimary(Expression& out);
    bool parseValue(Expression& out);
    bool parseOptionsList();
    bool parseCapabilities();
    bool finish();

    const SourceFinder& findSource_;
    Package& pkg_;
    const bool er5_;
    const bool allowUnsigned_;
    std::vector<bool> openIfs_;  // per open IF: whether its ELSE was seen
    int depth_ = 0;              // of the condition being read
};

bool Parser::storable(const std::u16string& text, int line) {
    if (!er5_) return true;
    const char32_t cp = firstOutsideWindows1252(text);
    if (cp == 0) return true;
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
    return fail(line, std::string("the character ") + code +
                          " cannot be stored in an ER5 package: its strings are Windows-1252");
}

bool Parser::readString(std::u16string& value, int* line) {
    const int at = lexer_.peek().line;
    return StatementReader::readString(value, line) && storable(value, at);
}

bool Parser::readSourceName(Source& source, int* line) {
    const Token& t = lexer_.peek();
    if (t.kind != TokenKind::String) return expected("quoted string");
    *line = t.line;
    source.written = lexer_.next().text;
    return true;
}

bool Parser::addRecord(Record record) {
    if (pkg_.records.size() >= sis::header::kMaxFileRecords) {
        return fail(record.line, "too many file, option and condition lines (at most 65535)");
    }
    pkg_.records.push_back(std::move(record));
    return true;
}

bool Parser::run() {
    pkg_ = Package{};
    pkg_.languages = {sis::kLanguageDefault};
    if (er5_) pkg_.options = 0;
    for (;;) {
        const Token& t = lexer_.peek();
        if (t.kind == TokenKind::End) return finish();
        anyStatement_ = true;
        bool ok;
        if (t.kind == TokenKind::Error) {
            ok = fail(t.line, t.describe());
        } else if (t.isSymbol("&")) {
            ok = parseLanguages();
        } else if (t.isSymbol("#")) {
            ok = parseHeader();
        } else if (t.isSymbol("(")) {
            ok = needHeader(t) && parseRequisite();
        } else if (t.kind == TokenKind::String) {
            ok = needHeader(t) && parseFileLine();
        } else if (t.isSymbol("{")) {
            ok = needHeader(t) && parseLanguageBlock();
        } else if (t.isSymbol("@")) {
            ok = needHeader(t) && parseComponent();
        } else if (t.isSymbol("!")) {
            ok = needHeader(t) && parseOptionsList();
        } else if (t.isSymbol("+")) {
            ok = needHeader(t) && parseCapabilities();
        } else if (t.isSymbol("*")) {
            ok = parseSignature();
        } else if (t.kind == TokenKind::Word && sameWord(t.text, "IF")) {
            ok = needHeader(t) && parseCondition(RecordType::If);
        } else if (t.kind == TokenKind::Word && sameWord(t.text, "ELSEIF")) {
            ok = needHeader(t) && parseCondition(RecordType::ElseIf);
        } else if (t.kind == TokenKind::Word && sameWord(t.text, "ELSE")) {
            ok = needHeader(t) && parseCondition(RecordType::Else);
        } else if (t.kind == TokenKind::Word && sameWord(t.text, "ENDIF")) {
            ok = needHeader(t) && parseCondition(RecordType::EndIf);
        } else {
            ok = fail(t.line, "unknown line: no statement starts with " + t.describe());
        }
        if (!ok) return false;
    }
}

bool Parser::finish() {
    const Token& end = lexer_.peek();
    if (!anyStatement_) return fail(end.line, "the script is empty: it has no installation header");
    if (!headerDefined_) return fail(end.line, "the installation header has not been defined");
    if (!openIfs_.empty()) return expected("ENDIF");
    const auto type = static_cast<sis::PackageType>(pkg_.type);
    if (type == sis::PackageType::Config || type == sis::PackageType::Patch ||
        type == sis::PackageType::Upgrade) {
        const bool found = std::any_of(pkg_.requisites.begin(), pkg_.requisites.end(),
                                       [&](const Requisite& r) { return r.uid == pkg_.uid; });
        if (!found) {
            return fail(pkg_.headerLine,
                        "missing main component dependency: this package type "
                        "needs a requisite line with the package's own UID");
        }
    }
    return true;
}

bool Parser::parseLanguages() {
    const Token amp = lexer_.next();
    if (languagesDefined_ || headerDefined_) {
        return fail(amp.line, "the languages have already been defined");
    }
    languagesDefined_ = true;
    pkg_.languages.clear();
    pkg_.statements.push_back({amp.line, "processing languages"});
    for (;;) {
        const Token& t = lexer_.peek();
        const int line = t.line;
        uint32_t number = 0;
        if (t.kind == TokenKind::Word) {
            const std::string code = toUtf8(t.text);
            const sis::LanguageCode* language = sis::languageByCode(code);
            if (!language) return fail(t.line, "unknown language specified", languageUsage());
            number = language->number;
            lexer_.next();
        } else if (t.kind == TokenKind::Number) {
            if (!readUint(number)) return false;
            if (number > kMaxLanguageNumber) {
                return fail(line, "unknown language specified: a language number is 0 to 1000",
                            languageUsage());
            }
        } else {
            return expected("language code");
        }
        if (std::find(pkg_.languages.begin(), pkg_.languages.end(), number) !=
            pkg_.languages.end()) {
            return fail(line, "a language is given twice");
        }
        pkg_.languages.push_back(static_cast<uint16_t>(number));
        if (!lexer_.peek().isSymbol(",")) return true;
        lexer_.next();
    }
}

bool Parser::parseHeader() {
    const Token hash = lexer_.next();
    if (headerDefined_) return fail(hash.line, "installation header already found");
    headerDefined_ = true;
    pkg_.headerLine = hash.line;
    pkg_.statements.push_back({hash.line, "processing header"});
    uint32_t major, minor;
    if (!readNames(pkg_.names) || !expectMark(",") || !readUid(pkg_.uid) || !expectMark(",") ||
        !readUint(major) || !expectMark(",") || !readUint(minor) || !expectMark(",") ||
        !readUint(pkg_.variant)) {
        return false;
    }
    // Versions are 16-bit fields: larger numbers keep their low 16 bits.
    pkg_.major = static_cast<uint16_t>(major);
    pkg_.minor = static_cast<uint16_t>(minor);
    while (lexer_.peek().isSymbol(",")) {
        lexer_.next();
        if (!parseHeaderOption()) return false;
    }
    return true;
}

bool Parser::parseHeaderOption() {
    const Token& t = lexer_.peek();
    if (t.kind != TokenKind::Word) return expected("header option");
    const Token option = lexer_.next();
    const std::string name = toUtf8(option.text);
    if (isKeyword(option.text, {"IU", "IUNICODE"})) {
        if (er5_) return notInEr5(option.line, name, "its strings are 8-bit (Windows-1252)");
        return true;  // always Unicode
    }
    if (er5_ && isKeyword(option.text, {"ID", nullptr})) {
        pkg_.options |= sis::kOptionDistributable;
        return true;
    }
    if (isKeyword(option.text, {"SH", "SHUTDOWNAPPS"})) {
        if (er5_) return notInEr5(option.line, name, "the option came with ER6");
        pkg_.options |= sis::kOptionShutdownApps;
        return true;
    }
    if (isKeyword(option.text, {"NC", "NOCOMPRESS"})) {
        if (er5_) {
            return notInEr5(option.line, name, "its file data is always stored uncompressed");
        }
        pkg_.options |= sis::kOptionNoCompress;
        return true;
    }
    if (isKeyword(option.text, {"TYPE", nullptr})) {
        if (!expectMark("=")) return false;
        const Token& value = lexer_.peek();
        if (value.kind != TokenKind::Word) return expected("package type");
        static const Keyword kTypes[] = {{"SA", "SISAPP"},    {"SY", "SISSYSTEM"},
                                         {"SO", "SISOPTION"}, {"SC", "SISCONFIG"},
                                         {"SP", "SISPATCH"},  {"SU", "SISUPGRADE"}};
        for (uint16_t i = 0; i < 6; ++i) {
            if (isKeyword(value.text, kTypes[i])) {
                pkg_.type = i;
                lexer_.next();
                return true;
            }
        }
        return fail(value.line, "invalid option: unknown package type '" + toUtf8(value.text) +
                                    "' (SA, SY, SO, SC, SP or SU)");
    }
    return fail(option.line, "invalid option '" + toUtf8(option.text) + "' in the header");
}

bool Parser::parseRequisite() {
    const int line = lexer_.peek().line;
    pkg_.statements.push_back({line, "processing requisite"});
    Requisite r;
    uint32_t major, minor;
    if (!readUid(r.uid) || !expectMark(",") || !readUint(major) || !expectMark(",") ||
        !readUint(minor) || !expectMark(",") || !readUint(r.variant) || !expectMark(",") ||
        !readNames(r.names)) {
        return false;
    }
    r.major = static_cast<uint16_t>(major);
    r.minor = static_cast<uint16_t>(minor);
    if (pkg_.requisites.size() >= kMaxCount)
        return fail(line, "too many requisites (at most 65535)");
    pkg_.requisites.push_back(std::move(r));
    return true;
}

bool Parser::parseFileLine() {
    Record record;
    record.line = lexer_.peek().line;
    pkg_.statements.push_back({record.line, "processing file"});
    Source source;
    int sourceLine = 0, destLine = 0;
    if (!readSourceName(source, &sourceLine) || !expectMark("-") ||
        !readString(record.destination, &destLine) || !parseFileOptions(record, false)) {
        return false;
    }
    record.sources.push_back(std::move(source));
    return finishFileRecord(record, {sourceLine}, destLine);
}

bool Parser::parseLanguageBlock() {
    Record record;
    record.line = lexer_.next().line;  // "{"
    record.type = RecordType::MultiLanguageFile;
    if (lexer_.peek().isSymbol("@")) {
        pkg_.statements.push_back({record.line, "processing language block of components"});
        record.fileType = FileType::Component;
        std::vector<int> lines;
        for (size_t i = 0; i < pkg_.languages.size(); ++i) {
            Source source;
            int line = 0;
            if (!expectMark("@") || !readSourceName(source, &line)) return false;
            record.sources.push_back(std::move(source));
            lines.push_back(line);
        }
        if (!expectMark("}") || !expectMark(",") || !readUid(record.details)) return false;
        return finishFileRecord(record, lines, 0);
    }
    pkg_.statements.push_back({record.line, "processing language block"});
    std::vector<int> lines;
    for (size_t i = 0; i < pkg_.languages.size(); ++i) {
        Source source;
        int line = 0;
        if (!readSourceName(source, &line)) return false;
        record.sources.push_back(std::move(source));
        lines.push_back(line);
    }
    int destLine = 0;
    if (!expectMark("}") || !expectMark("-") || !readString(record.destination, &destLine) ||
        !parseFileOptions(record, true)) {
        return false;
    }
    return finishFileRecord(record, lines, destLine);
}

bool Parser::parseComponent() {
    Record record;
    record.line = lexer_.next().line;  // "@"
    pkg_.statements.push_back({record.line, "processing component"});
    record.fileType = FileType::Component;
    Source source;
    int line = 0;
    if (!readSourceName(source, &line) || !expectMark(",") || !readUid(record.details)) {
        return false;
    }
    record.sources.push_back(std::move(source));
    return finishFileRecord(record, {line}, 0);
}

// Options after a file's target: one file type (FF, FT, FR, FN, FM) with its own options.
bool Parser::parseFileOptions(Record& record, bool inBlock) {
    static const Keyword kTypes[] = {{"FF", "FILE"},    {"FT", "FILETEXT"}, {"", nullptr},
                                     {"FR", "FILERUN"}, {"FN", "FILENULL"}, {"FM", "FILEMIME"}};
    static const Keyword kTexts[] = {
        {"TC", "TEXTCONTINUE"}, {"TS", "TEXTSKIP"}, {"TA", "TEXTABORT"}, {"TE", "TEXTEXIT"}};
    static const Keyword kRunWhen[] = {
        {"RI", "RUNINSTALL"}, {"RR", "RUNREMOVE"}, {"RB", "RUNBOTH"}};
    bool typeSeen = false, textSeen = false, whenSeen = false;
    uint32_t text = 0, when = sis::kRunInstall, flags = 0;
    int firstLine = 0;
    while (lexer_.peek().isSymbol(",")) {
        lexer_.next();
        const Token& t = lexer_.peek();
        if (t.kind != TokenKind::Word) return expected("file option");
        const Token option = lexer_.next();
        if (!firstLine) firstLine = option.line;
        const auto invalid = [&](const std::string& why) {
            return fail(option.line, "invalid option '" + toUtf8(option.text) + "': " + why);
        };
        bool known = false;
        for (uint32_t i = 0; i < 6 && !known; ++i) {
            if (kTypes[i].longName && isKeyword(option.text, kTypes[i])) {
                if (typeSeen) return invalid("a file has only one type");
                typeSeen = known = true;
                record.fileType = static_cast<FileType>(i);
                if (record.fileType == FileType::Null && inBlock) {
                    return invalid("FN cannot be used in a language block");
                }
                if (record.fileType == FileType::Mime) {
                    if (er5_) {
                        return notInEr5(option.line, toUtf8(option.text),
                                        "its file records have no MIME type");
                    }
                    int line = 0;
                    std::u16string mime;
                    if (!expectMark(",") || !readString(mime, &line)) return false;
                    for (char16_t c : mime) {
                        if (c > 0xFF) return fail(line, "the MIME type must be 8-bit text");
                        record.mimeType.push_back(static_cast<char>(c));
                    }
                }
            }
        }
        for (uint32_t i = 0; i < 4 && !known; ++i) {
            if (isKeyword(option.text, kTexts[i])) {
                if (textSeen) return invalid("only one text option may be given");
                textSeen = known = true;
                text = i;
            }
        }
        for (uint32_t i = 0; i < 3 && !known; ++i) {
            if (isKeyword(option.text, kRunWhen[i])) {
                if (whenSeen) return invalid("only one of RI, RR and RB may be given");
                whenSeen = known = true;
                when = i;
            }
        }
        if (!known && (isKeyword(option.text, {"RS", "RUNSENDEND"}) ||
                       isKeyword(option.text, {"RE", nullptr}))) {
            known = true;
            flags |= sis::kRunSendEnd;
        }
        if (!known && isKeyword(option.text, {"RW", "RUNWAITEND"})) {
            known = true;
            flags |= sis::kRunWaitEnd;
        }
        if (!known) return invalid("unknown file option");
    }
    const FileType type = record.fileType;
    if (textSeen && type != FileType::Text) {
        return fail(firstLine, "invalid option: TC, TS, TA and TE go with FT only");
    }
    if (whenSeen && type != FileType::Run) {
        return fail(firstLine, "invalid option: RI, RR and RB go with FR only");
    }
    if (flags && type != FileType::Run && type != FileType::Mime) {
        return fail(firstLine, "invalid option: RS and RW go with FR or FM only");
    }
    if ((when == sis::kRunRemove || when == sis::kRunBoth) && !(flags & sis::kRunWaitEnd)) {
        return fail(firstLine,
                    "RW/RUNWAITEND option required with RR/RUNREMOVE or RB/RUNBOTH options");
    }
    record.textOption = textSeen;
    if (type == FileType::Text) record.details = text;
    if (type == FileType::Run) record.details = when | flags;
    if (type == FileType::Mime) record.details = flags;
    return true;
}

bool Parser::finishFileRecord(Record& record, const std::vector<int>& sourceLines, int destLine) {
    if (!record.destination.empty() && record.destination[0] == ':' &&
        !(record.fileType == FileType::Text && record.textOption)) {
        return fail(destLine, "bad destination path for file: it starts with ':'");
    }
    for (size_t i = 0; i < record.sources.size(); ++i) {
        Source& source = record.sources[i];
        if (record.fileType == FileType::Null) {
            source.written = readableText(source.written);
            continue;
        }
        if (!storable(readableText(source.written), sourceLines[i])) return false;
        if (!lookUp(source, sourceLines[i])) return false;
    }
    return addRecord(std::move(record));
}

// A source's name becomes readable text once it has been looked up.
bool Parser::lookUp(Source& source, int line) {
    const std::u16string name = source.written;
    source.written = readableText(name);
    if (name.empty()) return fail(line, "no source file given");
    std::vector<std::string> matches;
    if (findSource_(name, source, matches)) return true;
    const std::string shown = toUtf8(source.written);
    if (matches.empty()) return fail(line, "file not found: " + shown);
    std::string list;
    for (const std::string& match : matches) list += (list.empty() ? "  " : "\n  ") + match;
    return fail(line, shown + " names more than one file when letter case is ignored", list);
}

// *"key","certificate"[,KEY="password"]: read and checked, never used.
bool Parser::parseSignature() {
    const Token star = lexer_.next();
    if (!allowUnsigned_) {
        return fail(star.line,
                    "signature lines are not supported: this compiler makes unsigned packages "
                    "only; give --unsigned to build the package without the signature, or remove "
                    "the line starting with '*'");
    }
    if (pkg_.signatureLine != 0) return fail(star.line, "a second signature line");
    pkg_.signatureLine = star.line;
    pkg_.statements.push_back({star.line, "processing signature"});
    Source key, certificate;
    int keyLine = 0, certificateLine = 0;
    if (!readSourceName(key, &keyLine) || !expectMark(",") ||
        !readSourceName(certificate, &certificateLine)) {
        return false;
    }
    if (lexer_.peek().isSymbol(",")) {
        lexer_.next();
        const Token& option = lexer_.peek();
        if (option.kind != TokenKind::Word || !sameWord(option.text, "KEY")) return expected("KEY");
        lexer_.next();
        std::u16string password;
        if (!expectMark("=") || !readString(password)) return false;
    }
    return lookUp(key, keyLine) && lookUp(certificate, certificateLine);
}

bool Parser::parseCondition(RecordType type) {
    const Token keyword = lexer_.next();
    Record record;
    record.type = type;
    record.line = keyword.line;
    pkg_.statements.push_back({keyword.line, "processing " + toUtf8(keyword.text)});
    switch (type) {
    case RecordType::If: openIfs_.push_back(false); break;
    case RecordType::ElseIf:
        if (openIfs_.empty()) return fail(keyword.line, "ELSEIF without IF");
        if (openIfs_.back()) return fail(keyword.line, "ELSEIF after ELSE");
        break;
    case RecordType::Else:
        if (openIfs_.empty()) return fail(keyword.line, "ELSE without IF");
        if (openIfs_.back()) return fail(keyword.line, "a second ELSE for the same IF");
        openIfs_.back() = true;
        break;
    default:
        if (openIfs_.empty()) return fail(keyword.line, "ENDIF without IF");
        openIfs_.pop_back();
        break;
    }
    if (type == RecordType::If || type == RecordType::ElseIf) {
        inCondition_ = true;
        const bool ok = parseOr(record.condition);
        inCondition_ = false;
        if (!ok) return false;
    }
    return addRecord(std::move(record));
}

Expression binary(NodeType type, Expression left, Expression right) {
    Expression e;
    e.type = type;
    e.operands.push_back(std::move(left));
    e.operands.push_back(std::move(right));
    return e;
}

bool Parser::parseOr(Expression& out) {
    if (!parseAnd(out)) return false;
    while (lexer_.peek().kind == TokenKind::Word && sameWord(lexer_.peek().text, "OR")) {
        lexer_.next();
        Expression right;
        if (!parseAnd(right)) return false;
        out = binary(NodeType::Or, std::move(out), std::move(right));
    }
    return true;
}

bool Parser::parseAnd(Expression& out) {
    if (!parseUnary(out)) return false;
    while (lexer_.peek().kind == TokenKind::Word && sameWord(lexer_.peek().text, "AND")) {
        lexer_.next();
        Expression right;
        if (!parseUnary(right)) return false;
        out = binary(NodeType::And, std::move(out), std::move(right));
    }
    return true;
}

bool Parser::parseUnary(Expression& out) {
    if (depth_ >= kMaxConditionDepth) {
        return fail(lexer_.peek().line, "condition nested too deeply (at most 64 levels)");
    }
    ++depth_;
    bool ok;
    if (lexer_.peek().kind == TokenKind::Word && sameWord(lexer_.peek().text, "NOT")) {
        lexer_.next();
        out = Expression{};
        out.type = NodeType::Not;
        out.operands.emplace_back();
        ok = parseUnary(out.operands.back());
    } else {
        ok = parsePrimary(out);
    }
    --depth_;
    return ok;
}

bool Parser::parsePrimary(Expression& out) {
    const Token& t = lexer_.peek();
    if (t.isSymbol("(")) {
        lexer_.next();
        return parseOr(out) && expectMark(")");
    }
    const auto leaf = [](NodeType type, uint32_t value) {
        Expression e;
        e.type = type;
        e.value = value;
        return e;
    };
    if (t.kind == TokenKind::Word && sameWord(t.text, "EXISTS")) {
        lexer_.next();
        out = leaf(NodeType::Exists, 0);
        Expression name = leaf(NodeType::String, 0);
        if (!expectMark("(") || !readString(name.text) || !expectMark(")")) return false;
        out.operands.push_back(std::move(name));
        return true;
    }
    if (t.kind == TokenKind::Word && sameWord(t.text, "DEVCAP")) {
        lexer_.next();
        out = leaf(NodeType::DevCap, 0);
        uint32_t capability;
        if (!expectMark("(") || !readUint(capability) || !expectMark(")")) return false;
        out.operands.push_back(leaf(NodeType::Number, capability));
        return true;
    }
    if (t.kind == TokenKind::Word && sameWord(t.text, "APPCAP")) {
        lexer_.next();
        out = leaf(NodeType::AppCap, 0);
        uint32_t uid, capability;
        if (!expectMark("(") || !readUint(uid) || !expectMark(",") ||
            !readUint(capability) || !expectMark(")")) {
            return false;
        }
        out.operands.push_back(leaf(NodeType::Number, uid));
        out.operands.push_back(leaf(NodeType::Number, capability));
        return true;
    }
    Expression left;
    if (!parseValue(left)) return false;
    static const char* kRelations[] = {"=", "<>", ">", "<", ">=", "<="};
    for (uint32_t i = 0; i < 6; ++i) {
        if (lexer_.peek().isSymbol(kRelations[i])) {
            lexer_.next();
            Expression right;
            if (!parseValue(right)) return false;
            out = binary(static_cast<NodeType>(i), std::move(left), std::move(right));
            return true;
        }
    }
    // A value alone: true when it is not zero.
    out = std::move(left);
    return true;
}

// An attribute name or a number.
bool Parser::parseValue(Expression& out) {
    const Token& t = lexer_.peek();
    out = Expression{};
    const bool statement =
        t.kind == TokenKind::Word && (sameWord(t.text, "IF") || sameWord(t.text, "ELSEIF") ||
                                      sameWord(t.text, "ELSE") || sameWord(t.text, "ENDIF"));
    if (t.kind == TokenKind::Word && !statement) {
        uint32_t id;
        if (!attributeByName(t.text, id)) {
            return fail(t.line, "unknown variable name '" + toUtf8(t.text) + "'", attributeUsage());
        }
        lexer_.next();
        out.type = NodeType::Attribute;
        out.value = id;
        return true;
    }
    if (t.kind != TokenKind::Number && !t.isSymbol("-")) return expected("condition");
    out.type = NodeType::Number;
    return readUint(out.value);
}

bool Parser::parseOptionsList() {
    Record record;
    record.type = RecordType::Options;
    record.line = lexer_.next().line;  // "!"
    pkg_.statements.push_back({record.line, "processing options"});
    if (!expectMark("(")) return false;
    for (;;) {
        std::vector<std::u16string> texts;
        const int line = lexer_.peek().line;
        if (!readNames(texts)) return false;
        if (record.options.size() >= sis::options_record::kMaxOptions) {
            return fail(line, "too many options (at most 128)");
        }
        record.options.push_back(std::move(texts));
        if (!lexer_.peek().isSymbol(",")) break;
        lexer_.next();
    }
    return expectMark(")") && addRecord(std::move(record));
}

bool Parser::parseCapabilities() {
    const int line = lexer_.next().line;  // "+"
    if (er5_) return notInEr5(line, "a capabilities line", "it has no capabilities record");
    pkg_.statements.push_back({line, "processing capabilities"});
    if (!expectMark("(")) return false;
    for (;;) {
        uint32_t key, value;
        if (!readUint(key) || !expectMark("=") || !readUint(value)) return false;
        if (pkg_.capabilities.size() >= kMaxCount) {
            return fail(line, "too many capabilities (at most 65535)");
        }
        pkg_.capabilities.emplace_back(key, value);
        if (!lexer_.peek().isSymbol(",")) break;
        lexer_.next();
    }
    return expectMark(")");
}

}  // namespace

bool parsePackage(const std::u16string& script, const SourceFinder& findSource, Package& package,
                  std::vector<Diagnostic>& diagnostics, bool er5, bool allowUnsigned) {
    return Parser(script, findSource, package, diagnostics, er5, allowUnsigned).run();
}

}  // namespace tovrin::makesis
