#include "src/pkg/pkg9_parser.h"

#include <algorithm>
#include <cstdio>

#include "src/pkg/condition_attributes.h"
#include "src/pkg/language_usage.h"
#include "src/pkg/pkg_lexer.h"
#include "src/pkg/statement_reader.h"
#include "src/pkg/text_encoding.h"
#include "src/sis/sis_format.h"

namespace tovrin::makesis {
namespace {

using sis9::Operator;

constexpr uint32_t kMaxLanguageNumber = 1000;
constexpr int kMaxConditionDepth = 64;
constexpr size_t kMaxIfDepth = 64;
constexpr size_t kMaxOptions = 128;  // as many as option1 ... option128 can name

// Operation options whose bits no real package shows; they follow the known ones (TA 0x800,
// RW 0x10) in the order the language lists them.
constexpr uint32_t kTextSkip = 0x400;
constexpr uint32_t kTextExit = 0x1000;
constexpr uint32_t kRunSendEnd = 0x08;
constexpr uint32_t kOpMime = 16;

sis9::Expression leaf(Operator op, int32_t value) {
    sis9::Expression e;
    e.op = op;
    e.value = value;
    return e;
}

sis9::Expression binary(Operator op, sis9::Expression left, sis9::Expression right) {
    sis9::Expression e = leaf(op, 0);
    e.operands.push_back(std::move(left));
    e.operands.push_back(std::move(right));
    return e;
}

sis9::Expression existsText(std::u16string text) {
    sis9::Expression e = leaf(Operator::Exists, 0);
    e.hasText = true;
    e.text = std::move(text);
    return e;
}

std::u16string asciiText(const std::string& text) { return std::u16string(text.begin(), text.end()); }

class Parser9 : StatementReader {
public:
    Parser9(const std::u16string& script, const SourceFinder& findSource, Package9& package,
            std::vector<Diagnostic>& diagnostics, bool stub)
        : StatementReader(Lexer(script), diagnostics), findSource_(findSource), pkg_(package),
          stub_(stub) {}

    bool run();

private:
    bool readVersionPart(int32_t& value);
    bool readVersion(sis9::Version& version);
    bool readNames(std::vector<std::u16string>& names) {
        return StatementReader::readNames(names, pkg_.controller.languages.size());
    }
    sis9::InstallBlock& block() { return *blocks_.back(); }

    bool parseLanguages();
    bool parseHeader();
    bool parseHeaderOption();
    bool parseVendorNames();
    bool parseUniqueVendor();
    bool parseDependency(bool target);
    bool parseFileLine();
    bool parseLanguageBlock();
    bool parseEmbedded();
    bool parseFileOptions(sis9::FileDescription& file, bool& isNull, bool& isText);
    bool addFile(sis9::FileDescription& file, std::u16string written, int line, bool isNull);
    bool addEmbedded(std::u16string written, int line, uint32_t uid, sis9::InstallBlock& into);
    bool parseOptionsList();
    bool parseProperties();
    bool parseLogo();
    bool parseSignature();
    bool parseCondition();
    bool parseOr(sis9::Expression& out);
    bool parseAnd(sis9::Expression& out);
    bool parseUnary(sis9::Expression& out);
    bool parsePrimary(sis9::Expression& out);
    bool parseValue(sis9::Expression& out);
    bool parseOperand(sis9::Expression& out);
    bool finish();

    const SourceFinder& findSource_;
    Package9& pkg_;
    const bool stub_;
    bool vendorNamesDefined_ = false;
    bool uniqueVendorDefined_ = false;
    bool optionsDefined_ = false;
    // The block statements go into: the install block, then the body of each open branch.
    std::vector<sis9::InstallBlock*> blocks_;
    struct OpenIf {
        sis9::If* chain;
        bool elseSeen;
    };
    std::vector<OpenIf> openIfs_;
    int depth_ = 0;
};

// A version number, or "*" for any (stored as -1).
bool Parser9::readVersionPart(int32_t& value) {
    if (lexer_.peek().isSymbol("*")) {
        lexer_.next();
        value = -1;
        return true;
    }
    int64_t number;
    if (!readNumber(number)) return false;
    value = static_cast<int32_t>(number);
    return true;
}

bool Parser9::readVersion(sis9::Version& v) {
    return readVersionPart(v.major) && expectMark(",") && readVersionPart(v.minor) &&
           expectMark(",") && readVersionPart(v.build);
}

bool Parser9::run() {
    pkg_ = Package9{};
    pkg_.controller.languages = {sis::kLanguageDefault};
    blocks_ = {&pkg_.controller.install};
    for (;;) {
        const Token& t = lexer_.peek();
        if (t.kind == TokenKind::End) return finish();
        anyStatement_ = true;
        bool ok;
        if (t.kind == TokenKind::Error) {
            ok = fail(t.line, t.describe());
        } else if (isMark(t, "&")) {
            ok = parseLanguages();
        } else if (isMark(t, "#")) {
            ok = parseHeader();
        } else if (isMark(t, "%")) {
            ok = parseVendorNames();
        } else if (isMark(t, ":")) {
            ok = parseUniqueVendor();
        } else if (isMark(t, "[")) {
            ok = needHeader(t) && parseDependency(true);
        } else if (isMark(t, "(")) {
            ok = needHeader(t) && parseDependency(false);
        } else if (t.kind == TokenKind::String) {
            ok = needHeader(t) && parseFileLine();
        } else if (isMark(t, "{")) {
            ok = needHeader(t) && parseLanguageBlock();
        } else if (isMark(t, "@")) {
            ok = needHeader(t) && parseEmbedded();
        } else if (isMark(t, "!")) {
            ok = needHeader(t) && parseOptionsList();
        } else if (isMark(t, "+")) {
            ok = needHeader(t) && parseProperties();
        } else if (isMark(t, "=")) {
            ok = needHeader(t) && parseLogo();
        } else if (isMark(t, "*")) {
            ok = parseSignature();
        } else if (isWord(t, "IF") || isWord(t, "ELSEIF") || isWord(t, "ELSE") ||
                   isWord(t, "ENDIF")) {
            ok = needHeader(t) && parseCondition();
        } else {
            ok = fail(t.line, "unknown line: no statement starts with " + t.describe());
        }
        if (!ok) return false;
    }
}

bool Parser9::finish() {
    const Token& end = lexer_.peek();
    if (!anyStatement_) return fail(end.line, "the script is empty: it has no installation header");
    if (!headerDefined_) return fail(end.line, "the installation header has not been defined");
    if (!openIfs_.empty()) return expected("ENDIF");
    if (!uniqueVendorDefined_) {
        return fail(end.line, "the unique vendor name is missing: a Symbian 9 package needs a "
                              "line :\"Vendor\"");
    }
    sis9::Controller& c = pkg_.controller;
    if (!vendorNamesDefined_) c.vendorNames.assign(c.languages.size(), c.uniqueVendor);
    return true;
}

bool Parser9::parseLanguages() {
    const Token amp = lexer_.next();
    if (languagesDefined_ || headerDefined_) {
        return fail(amp.line, "the languages have already been defined");
    }
    languagesDefined_ = true;
    std::vector<uint32_t>& languages = pkg_.controller.languages;
    languages.clear();
    pkg_.statements.push_back({amp.line, "processing languages"});
    for (;;) {
        const Token& t = lexer_.peek();
        const int line = t.line;
        uint32_t number = 0;
        if (t.kind == TokenKind::Word) {
            const sis::LanguageCode* language = sis::languageByCode(toUtf8(t.text));
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
        // A dialect in brackets after the language ("EN(10)") is the language the phone
        // reports for it, and so the one stored.
        if (isMark(lexer_.peek(), "(")) {
            lexer_.next();
            if (!readUint(number) || !expectMark(")")) return false;
        }
        if (std::find(languages.begin(), languages.end(), number) != languages.end()) {
            return fail(line, "a language is given twice");
        }
        languages.push_back(number);
        if (!isMark(lexer_.peek(), ",")) return true;
        lexer_.next();
    }
}

bool Parser9::parseHeader() {
    const Token hash = lexer_.next();
    if (headerDefined_) return fail(hash.line, "installation header already found");
    headerDefined_ = true;
    pkg_.statements.push_back({hash.line, "processing header"});
    sis9::Controller& c = pkg_.controller;
    if (!readNames(c.names) || !expectMark(",") || !readUid(c.uid) || !expectMark(",") ||
        !readVersion(c.version)) {
        return false;
    }
    while (isMark(lexer_.peek(), ",")) {
        lexer_.next();
        if (!parseHeaderOption()) return false;
    }
    return true;
}

bool Parser9::parseHeaderOption() {
    const Token& t = lexer_.peek();
    if (t.kind != TokenKind::Word) return expected("header option");
    const Token option = lexer_.next();
    sis9::Controller& c = pkg_.controller;
    if (isKeyword(option, {"TYPE", nullptr})) {
        if (!expectMark("=")) return false;
        const Token& value = lexer_.peek();
        static const Keyword kTypes[] = {{"SA", "SISAPP"},
                                         {"SP", "SISPATCH"},
                                         {"PU", "PARTIALUPGRADE"},
                                         {"PA", "PIAPP"},
                                         {"PP", "PIPATCH"}};
        for (uint8_t i = 0; i < 5; ++i) {
            if (isKeyword(value, kTypes[i])) {
                lexer_.next();
                c.type = static_cast<sis9::InstallType>(i);
                return true;
            }
        }
        if (isKeyword(value, {"SC", "SISCONFIG"}) || isKeyword(value, {"SO", "SISOPTION"}) ||
            isKeyword(value, {"SY", "SISSYSTEM"}) || isKeyword(value, {"SU", "SISUPGRADE"})) {
            return fail(value.line, "package type " + toUtf8(value.text) +
                                        " is not supported in Symbian 9 packages: use SA, SP, "
                                        "PU, PA or PP");
        }
        return expected("package type (SA, SP, PU, PA or PP)");
    }
    if (isKeyword(option, {"NR", "NONREMOVABLE"})) {
        c.flags |= sis9::kFlagNonRemovable;
    } else if (isKeyword(option, {"RU", "ROMUPGRADE"})) {
        c.flags |= sis9::kFlagRomUpgrade;
    } else if (isKeyword(option, {"NC", "NOCOMPRESS"})) {
        pkg_.compress = false;
    } else if (isKeyword(option, {"IU", "IUNICODE"})) {
        // Obsolete: every string is Unicode.
    } else if (isKeyword(option, {"SH", "SHUTDOWNAPPS"})) {
        // Deprecated, and no longer stored.
    } else {
        return fail(option.line, "unknown header option '" + toUtf8(option.text) + "'");
    }
    return true;
}

bool Parser9::parseVendorNames() {
    const Token percent = lexer_.next();
    if (vendorNamesDefined_) return fail(percent.line, "the vendor names are already given");
    vendorNamesDefined_ = true;
    pkg_.statements.push_back({percent.line, "processing vendor names"});
    return readNames(pkg_.controller.vendorNames);
}

bool Parser9::parseUniqueVendor() {
    const Token colon = lexer_.next();
    if (uniqueVendorDefined_) return fail(colon.line, "the unique vendor name is already given");
    uniqueVendorDefined_ = true;
    pkg_.statements.push_back({colon.line, "processing unique vendor name"});
    int line = 0;
    if (!readString(pkg_.controller.uniqueVendor, &line)) return false;
    if (pkg_.controller.uniqueVendor.empty()) return fail(line, "the unique vendor name is empty");
    return true;
}

// [0xUID],from[~to],{names} for a platform or phone, (0xUID),... for a package.
bool Parser9::parseDependency(bool target) {
    const Token open = lexer_.next();
    pkg_.statements.push_back({open.line, target ? "processing target device"
                                                 : "processing dependency"});
    sis9::Dependency d;
    if (!readUint(d.uid) || !expectMark(target ? "]" : ")") || !expectMark(",") ||
        !readVersion(d.from)) {
        return false;
    }
    if (isMark(lexer_.peek(), "~")) {
        lexer_.next();
        d.hasTo = true;
        if (!readVersion(d.to)) return false;
    }
    if (!expectMark(",") || !readNames(d.names)) return false;
    (target ? pkg_.controller.targets : pkg_.controller.packages).push_back(std::move(d));
    return true;
}

bool Parser9::parseFileLine() {
    const int line = lexer_.peek().line;
    pkg_.statements.push_back({line, "processing file"});
    const std::u16string written = lexer_.next().text;
    sis9::FileDescription file;
    bool isNull = false, isText = false;
    if (!expectMark("-") || !readString(file.target) ||
        !parseFileOptions(file, isNull, isText)) {
        return false;
    }
    if (isText && file.operation == sis9::kOpText) file.target.clear();
    if (!addFile(file, written, line, isNull)) return false;
    block().files.push_back(std::move(file));
    return true;
}

// {"a.r01" "a.r02"}-"target" and {@"a.sis" @"b.sis"},(uid): one branch per language, in the
// order of the language line, each testing LANGUAGE = code; no final ELSE.
bool Parser9::parseLanguageBlock() {
    const int line = lexer_.next().line;  // "{"
    const std::vector<uint32_t>& languages = pkg_.controller.languages;
    sis9::If chain;
    const bool embedded = isMark(lexer_.peek(), "@");
    pkg_.statements.push_back({line, embedded ? "processing language block of packages"
                                              : "processing language block"});
    std::vector<std::pair<std::u16string, int>> sources;
    for (size_t i = 0; i < languages.size(); ++i) {
        if (embedded && !expectMark("@")) return false;
        const Token& t = lexer_.peek();
        if (t.kind != TokenKind::String) return expected("quoted string");
        sources.emplace_back(t.text, t.line);
        lexer_.next();
    }
    if (!expectMark("}")) return false;
    for (size_t i = 0; i < languages.size(); ++i) {
        sis9::Branch branch;
        branch.condition =
            binary(Operator::Equal, leaf(Operator::Attribute, sis9::kAttributeLanguage),
                   leaf(Operator::Number, static_cast<int32_t>(languages[i])));
        chain.branches.push_back(std::move(branch));
    }
    if (embedded) {
        uint32_t uid;
        if (!expectMark(",") || !readUid(uid)) return false;
        for (size_t i = 0; i < sources.size(); ++i) {
            if (!addEmbedded(sources[i].first, sources[i].second, uid, chain.branches[i].body))
                return false;
        }
    } else {
        sis9::FileDescription file;
        bool isNull = false, isText = false;
        if (!expectMark("-") || !readString(file.target) ||
            !parseFileOptions(file, isNull, isText)) {
            return false;
        }
        if (isNull) return fail(line, "FN cannot be used in a language block");
        if (file.operation == sis9::kOpInstall) file.operation = sis9::kOpLanguageFile;
        if (isText && file.operation == sis9::kOpText) file.target.clear();
        for (size_t i = 0; i < sources.size(); ++i) {
            sis9::FileDescription copy = file;
            if (!addFile(copy, sources[i].first, sources[i].second, false)) return false;
            chain.branches[i].body.files.push_back(std::move(copy));
        }
    }
    block().ifs.push_back(std::move(chain));
    return true;
}

bool Parser9::parseEmbedded() {
    const int line = lexer_.next().line;  // "@"
    pkg_.statements.push_back({line, "processing embedded package"});
    const Token& t = lexer_.peek();
    if (t.kind != TokenKind::String) return expected("quoted string");
    const std::u16string written = lexer_.next().text;
    uint32_t uid;
    if (!expectMark(",") || !readUid(uid)) return false;
    return addEmbedded(written, line, uid, block());
}

bool Parser9::addEmbedded(std::u16string written, int line, uint32_t uid,
                          sis9::InstallBlock& into) {
    Package9::Embedded embedded;
    embedded.line = line;
    embedded.uid = uid;
    embedded.source.written = written;
    if (written.empty()) return fail(line, "no source file given");
    std::vector<std::string> matches;
    if (!findSource_(written, embedded.source, matches)) {
        const std::string shown = toUtf8(readableText(written));
        if (matches.empty()) return fail(line, "file not found: " + shown);
        std::string list;
        for (const std::string& match : matches) list += (list.empty() ? "  " : "\n  ") + match;
        return fail(line, shown + " names more than one file when letter case is ignored", list);
    }
    embedded.source.written = readableText(written);
    into.embedded.push_back(pkg_.embedded.size());
    pkg_.embedded.push_back(std::move(embedded));
    return true;
}

// FF (default), FT [TC|TA|TS|TE], FR [RI|RR|RB] [RW|RE], FN, FM "mime".
bool Parser9::parseFileOptions(sis9::FileDescription& file, bool& isNull, bool& isText) {
    bool typeSeen = false, whenSeen = false;
    uint32_t text = 0, when = sis9::kRunInstall, flags = 0;
    int firstLine = 0;
    bool textSeen = false;
    while (isMark(lexer_.peek(), ",")) {
        lexer_.next();
        const Token& t = lexer_.peek();
        if (t.kind != TokenKind::Word) return expected("file option");
        const Token option = lexer_.next();
        if (!firstLine) firstLine = option.line;
        const auto invalid = [&](const std::string& why) {
            return fail(option.line, "invalid option '" + toUtf8(option.text) + "': " + why);
        };
        const auto type = [&](uint32_t operation) {
            if (typeSeen) return invalid("a file has only one type");
            typeSeen = true;
            file.operation = operation;
            return true;
        };
        if (isKeyword(option, {"FF", "FILE"})) {
            if (!type(sis9::kOpInstall)) return false;
        } else if (isKeyword(option, {"FT", "FILETEXT"})) {
            if (!type(sis9::kOpText)) return false;
        } else if (isKeyword(option, {"FR", "FILERUN"})) {
            if (!type(sis9::kOpRun)) return false;
        } else if (isKeyword(option, {"FN", "FILENULL"})) {
            if (!type(sis9::kOpNull)) return false;
            isNull = true;
        } else if (isKeyword(option, {"FM", "FILEMIME"})) {
            if (!type(kOpMime)) return false;
            if (!expectMark(",") || !readString(file.mimeType)) return false;
        } else if (isKeyword(option, {"TC", "TEXTCONTINUE"}) ||
                   isKeyword(option, {"TA", "TEXTABORT"}) ||
                   isKeyword(option, {"TS", "TEXTSKIP"}) ||
                   isKeyword(option, {"TE", "TEXTEXIT"})) {
            if (textSeen) return invalid("only one text option may be given");
            textSeen = true;
            text = isKeyword(option, {"TA", "TEXTABORT"})  ? sis9::kTextAbort
                   : isKeyword(option, {"TS", "TEXTSKIP"}) ? kTextSkip
                   : isKeyword(option, {"TE", "TEXTEXIT"}) ? kTextExit
                                                           : 0;
        } else if (isKeyword(option, {"RI", "RUNINSTALL"}) ||
                   isKeyword(option, {"RR", "RUNREMOVE"}) ||
                   isKeyword(option, {"RB", "RUNBOTH"})) {
            const uint32_t bits = isKeyword(option, {"RI", "RUNINSTALL"}) ? sis9::kRunInstall
                                  : isKeyword(option, {"RR", "RUNREMOVE"})
                                      ? sis9::kRunRemove
                                      : sis9::kRunInstall | sis9::kRunRemove;
            // Scripts write "RI, RR" for both as often as RB.
            when = whenSeen ? (when | bits) : bits;
            whenSeen = true;
        } else if (isKeyword(option, {"RW", "RUNWAITEND"})) {
            flags |= sis9::kRunWaitEnd;
        } else if (isKeyword(option, {"RE", "RUNSENDEND"}) || isKeyword(option, {"RS", nullptr})) {
            flags |= kRunSendEnd;
        } else {
            return invalid("unknown file option");
        }
    }
    if (textSeen && file.operation != sis9::kOpText) {
        return fail(firstLine, "invalid option: TC, TS, TA and TE go with FT only");
    }
    if ((whenSeen || flags) && file.operation != sis9::kOpRun && file.operation != kOpMime) {
        return fail(firstLine, "invalid option: RI, RR, RB, RW and RE go with FR or FM only");
    }
    isText = file.operation == sis9::kOpText;
    if (file.operation == sis9::kOpText) file.options = text;
    if (file.operation == sis9::kOpRun) file.options = when | flags;
    if (file.operation == kOpMime) file.options = flags;
    return true;
}

// Gives a file that carries data the next file index and finds its source.
bool Parser9::addFile(sis9::FileDescription& file, std::u16string written, int line,
                      bool isNull) {
    if (file.target.empty() && file.operation != sis9::kOpText) {
        return fail(line, "no target given for the file");
    }
    if (isNull || stub_) {
        file.fileIndex = 0;
        return true;
    }
    Source source;
    source.written = written;
    if (written.empty()) return fail(line, "no source file given");
    std::vector<std::string> matches;
    if (!findSource_(written, source, matches)) {
        const std::string shown = toUtf8(readableText(written));
        if (matches.empty()) return fail(line, "file not found: " + shown);
        std::string list;
        for (const std::string& match : matches) list += (list.empty() ? "  " : "\n  ") + match;
        return fail(line, shown + " names more than one file when letter case is ignored", list);
    }
    source.written = readableText(written);
    file.fileIndex = static_cast<uint32_t>(pkg_.sources.size());
    pkg_.sources.push_back(std::move(source));
    pkg_.sourceLines.push_back(line);
    return true;
}

bool Parser9::parseOptionsList() {
    const int line = lexer_.next().line;  // "!"
    if (optionsDefined_) return fail(line, "the options are already given");
    optionsDefined_ = true;
    pkg_.statements.push_back({line, "processing options"});
    if (!expectMark("(")) return false;
    for (;;) {
        std::vector<std::u16string> texts;
        const int at = lexer_.peek().line;
        if (!readNames(texts)) return false;
        if (pkg_.controller.options.size() >= kMaxOptions) {
            return fail(at, "too many options (at most 128)");
        }
        pkg_.controller.options.push_back(std::move(texts));
        if (!isMark(lexer_.peek(), ",")) break;
        lexer_.next();
    }
    return expectMark(")");
}

bool Parser9::parseProperties() {
    const int line = lexer_.next().line;  // "+"
    pkg_.statements.push_back({line, "processing properties"});
    if (!expectMark("(")) return false;
    for (;;) {
        int64_t key, value;
        if (!readNumber(key) || !expectMark("=") || !readNumber(value)) return false;
        pkg_.controller.properties.emplace_back(static_cast<int32_t>(key),
                                                static_cast<int32_t>(value));
        if (!isMark(lexer_.peek(), ",")) break;
        lexer_.next();
    }
    return expectMark(")");
}

// ="logo.png","image/png","target"
bool Parser9::parseLogo() {
    const int line = lexer_.next().line;  // "="
    sis9::Controller& c = pkg_.controller;
    if (c.hasLogo) return fail(line, "the logo is already given");
    pkg_.statements.push_back({line, "processing logo"});
    const Token& t = lexer_.peek();
    if (t.kind != TokenKind::String) return expected("quoted string");
    const std::u16string written = lexer_.next().text;
    sis9::FileDescription logo;
    if (!expectMark(",") || !readString(logo.mimeType) || !expectMark(",") ||
        !readString(logo.target)) {
        return false;
    }
    if (logo.mimeType.empty()) return fail(line, "the logo needs a MIME type");
    Source source;
    source.written = written;
    std::vector<std::string> matches;
    if (written.empty()) return fail(line, "no source file given");
    if (!findSource_(written, source, matches)) {
        return fail(line, "file not found: " + toUtf8(readableText(written)));
    }
    source.written = readableText(written);
    logo.fileIndex = static_cast<uint32_t>(pkg_.sources.size());
    pkg_.sources.push_back(std::move(source));
    pkg_.sourceLines.push_back(line);
    c.hasLogo = true;
    c.logo = std::move(logo);
    return true;
}

// *"key","certificate"[,KEY="password"]: packages are signed by the signer, not here.
bool Parser9::parseSignature() {
    const Token star = lexer_.next();
    if (pkg_.signatureLine != 0) return fail(star.line, "a second signature line");
    pkg_.signatureLine = star.line;
    std::u16string key, certificate;
    if (!readString(key) || !expectMark(",") || !readString(certificate)) return false;
    if (isMark(lexer_.peek(), ",")) {
        lexer_.next();
        if (!isWord(lexer_.peek(), "KEY")) return expected("KEY");
        lexer_.next();
        std::u16string password;
        if (!expectMark("=") || !readString(password)) return false;
    }
    return true;
}

bool Parser9::parseCondition() {
    const Token keyword = lexer_.next();
    pkg_.statements.push_back({keyword.line, "processing " + toUtf8(keyword.text)});
    const bool isIf = isWord(keyword, "IF"), isElseIf = isWord(keyword, "ELSEIF");
    const bool isElse = isWord(keyword, "ELSE");
    if (!isIf) {
        const char* name = isElseIf ? "ELSEIF" : isElse ? "ELSE" : "ENDIF";
        if (openIfs_.empty()) return fail(keyword.line, std::string(name) + " without IF");
        if (!isWord(keyword, "ENDIF") && openIfs_.back().elseSeen) {
            return fail(keyword.line, isElse ? "a second ELSE for the same IF" : "ELSEIF after ELSE");
        }
        blocks_.pop_back();
        if (isWord(keyword, "ENDIF")) {
            openIfs_.pop_back();
            return true;
        }
    }
    sis9::Branch branch;
    if (isElse) {
        openIfs_.back().elseSeen = true;
        branch.condition = leaf(Operator::Not, 0);
        branch.condition.operands.push_back(leaf(Operator::Number, 0));
    } else {
        inCondition_ = true;
        const bool read = parseOr(branch.condition);
        inCondition_ = false;
        if (!read) return false;
    }
    if (isIf) {
        if (openIfs_.size() >= kMaxIfDepth) return fail(keyword.line, "IF nested too deeply");
        block().ifs.emplace_back();
        openIfs_.push_back({&block().ifs.back(), false});
    }
    // The chain is the last IF of its block and nothing else is added to that block while it
    // is open, so the pointer stays good.
    sis9::If* chain = openIfs_.back().chain;
    chain->branches.push_back(std::move(branch));
    blocks_.push_back(&chain->branches.back().body);
    return true;
}

bool Parser9::parseOr(sis9::Expression& out) {
    if (!parseAnd(out)) return false;
    while (isWord(lexer_.peek(), "OR")) {
        lexer_.next();
        sis9::Expression right;
        if (!parseAnd(right)) return false;
        out = binary(Operator::Or, std::move(out), std::move(right));
    }
    return true;
}

bool Parser9::parseAnd(sis9::Expression& out) {
    if (!parseUnary(out)) return false;
    while (isWord(lexer_.peek(), "AND")) {
        lexer_.next();
        sis9::Expression right;
        if (!parseUnary(right)) return false;
        out = binary(Operator::And, std::move(out), std::move(right));
    }
    return true;
}

bool Parser9::parseUnary(sis9::Expression& out) {
    if (depth_ >= kMaxConditionDepth) {
        return fail(lexer_.peek().line, "condition nested too deeply (at most 64 levels)");
    }
    ++depth_;
    bool ok;
    if (isWord(lexer_.peek(), "NOT")) {
        lexer_.next();
        out = leaf(Operator::Not, 0);
        out.operands.emplace_back();
        ok = parseUnary(out.operands.back());
    } else {
        ok = parsePrimary(out);
    }
    --depth_;
    return ok;
}

bool Parser9::parsePrimary(sis9::Expression& out) {
    const Token& t = lexer_.peek();
    if (isMark(t, "(")) {
        lexer_.next();
        if (!parseOr(out) || !expectMark(")")) return false;
    } else if (isWord(t, "EXISTS")) {
        lexer_.next();
        out = existsText({});
        if (!expectMark("(") || !readString(out.text) || !expectMark(")")) return false;
        return true;
    } else if (isWord(t, "PACKAGE")) {
        lexer_.next();
        uint32_t uid;
        if (!expectMark("(") || !readUint(uid) || !expectMark(")")) return false;
        out = leaf(Operator::Package, 0);
        out.operands.push_back(leaf(Operator::Number, static_cast<int32_t>(uid)));
        return true;
    } else if (isWord(t, "VERSION")) {
        // version(uid,relation,major,minor,build): the installer answers it, as it answers
        // supported_language, as a query path that exists() tests.
        lexer_.next();
        uint32_t uid;
        int64_t major, minor, build;
        if (!expectMark("(") || !readUint(uid) || !expectMark(",")) return false;
        static const char* kRelations[] = {"=", "<>", ">", "<", ">=", "<="};
        static const char* kNames[] = {"ET", "NE", "GT", "LT", "GE", "LE"};
        int relation = -1;
        for (int i = 0; i < 6; ++i) {
            if (lexer_.peek().isSymbol(kRelations[i])) relation = i;
        }
        if (relation < 0) return expected("relation (=, <>, >, <, >= or <=)");
        lexer_.next();
        if (!expectMark(",") || !readNumber(major) || !expectMark(",") || !readNumber(minor) ||
            !expectMark(",") || !readNumber(build) || !expectMark(")")) {
            return false;
        }
        char text[96];
        std::snprintf(text, sizeof text, "\\sys\\install\\pkgversion\\?0x%08X,%s,%lld,%lld,%lld",
                      static_cast<unsigned>(uid), kNames[relation],
                      static_cast<long long>(major), static_cast<long long>(minor),
                      static_cast<long long>(build));
        out = existsText(asciiText(text));
        return true;
    } else if (isWord(t, "SUPPORTED_LANGUAGE")) {
        lexer_.next();
        int64_t code;
        if (!expectMark("=") || !readNumber(code)) return false;
        out = existsText(asciiText("\\sys\\install\\supportedlanguage\\?" + std::to_string(code)));
        return true;
    } else {
        if (!parseValue(out)) return false;
    }
    static const char* kRelations[] = {"=", "<>", ">", "<", ">=", "<="};
    for (uint32_t i = 0; i < 6; ++i) {
        if (lexer_.peek().isSymbol(kRelations[i])) {
            lexer_.next();
            sis9::Expression right;
            if (!parseOperand(right)) return false;
            out = binary(static_cast<Operator>(i + 1), std::move(out), std::move(right));
            return true;
        }
    }
    return true;
}

// The right side of a relation: a value, or a condition in brackets.
bool Parser9::parseOperand(sis9::Expression& out) {
    if (isMark(lexer_.peek(), "(")) {
        lexer_.next();
        return parseOr(out) && expectMark(")");
    }
    return parseValue(out);
}

// An attribute, an option, a number, a string or appprop(uid,key).
bool Parser9::parseValue(sis9::Expression& out) {
    const Token& t = lexer_.peek();
    if (t.kind == TokenKind::String) {
        out = leaf(Operator::String, 0);
        out.hasText = true;
        return readString(out.text);
    }
    if (isWord(t, "APPPROP")) {
        lexer_.next();
        uint32_t uid, key;
        if (!expectMark("(") || !readUint(uid) || !expectMark(",") || !readUint(key) ||
            !expectMark(")")) {
            return false;
        }
        out = binary(Operator::AppProperty, leaf(Operator::Number, static_cast<int32_t>(uid)),
                     leaf(Operator::Number, static_cast<int32_t>(key)));
        return true;
    }
    const bool statement = isWord(t, "IF") || isWord(t, "ELSEIF") || isWord(t, "ELSE") ||
                           isWord(t, "ENDIF");
    if (t.kind == TokenKind::Word && !statement) {
        uint32_t id;
        if (!attributeByName(t.text, id)) {
            return fail(t.line, "unknown variable name '" + toUtf8(t.text) + "'", attributeUsage());
        }
        const int line = lexer_.next().line;
        if (id > sis::kAttributeOptionBase && id <= sis::kAttributeOptionBase + 0xFFFF) {
            const int32_t option = static_cast<int32_t>(id - sis::kAttributeOptionBase);
            if (static_cast<size_t>(option) > pkg_.controller.options.size()) {
                return fail(line, "option" + std::to_string(option) +
                                        " names an option the options list does not have");
            }
            out = leaf(Operator::Option, option);
        } else {
            out = leaf(Operator::Attribute, static_cast<int32_t>(id));
        }
        return true;
    }
    if (t.kind != TokenKind::Number && !t.isSymbol("-")) return expected("condition");
    int64_t number;
    if (!readNumber(number)) return false;
    out = leaf(Operator::Number, static_cast<int32_t>(number));
    return true;
}

}  // namespace

bool parsePackage9(const std::u16string& script, const SourceFinder& findSource,
                   Package9& package, std::vector<Diagnostic>& diagnostics, bool stub) {
    return Parser9(script, findSource, package, diagnostics, stub).run();
}

}  // namespace tovrin::makesis
