#include "tools/sislist/script_writer.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "src/pkg/condition_attributes.h"
#include "src/text/utf8.h"
#include "src/text/windows1252.h"
#include "tools/sislist/rebuild_check.h"

namespace tovrin::sislist {
namespace {

using sis::FileType;
using sis::NodeType;
using sis::RecordType;

constexpr const char* kEol = "\r\n";
// The language numbers the compiler reads.
constexpr uint16_t kMaxLanguageNumber = 1000;

std::string hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return buf;
}

// Numbers as a reader of the script expects them: small ones in decimal, UIDs and other
// large values in hex.
std::string number(uint32_t v) {
    if (v < 0x10000) return std::to_string(v);
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", v);
    return buf;
}

bool isLeaf(const sis::Expression& e) {
    return e.type == NodeType::Attribute || e.type == NodeType::Number;
}

bool leafText(const sis::Expression& e, std::string* text, std::string* why) {
    if (e.type == NodeType::Number) {
        *text = number(e.value);
        return true;
    }
    if (e.type == NodeType::Attribute && makesis::attributeName(e.value, text)) return true;
    *why = e.type == NodeType::Attribute
               ? "a condition tests attribute " + hex(e.value) + ", which has no name"
               : "a condition holds a value where the script allows only a number or a name";
    return false;
}

bool hasUnusedWords(const sis::Expression& e) {
    if (isLeaf(e) && e.unused != 0) return true;
    for (const sis::Expression& o : e.operands) {
        if (hasUnusedWords(o)) return true;
    }
    return false;
}

bool isJunction(const sis::Expression& e) {
    return e.type == NodeType::And || e.type == NodeType::Or;
}

// Names per language, stored order, written in script order.
std::string nameList(const std::vector<std::string>& names) {
    std::string s = "{";
    for (size_t i = names.size(); i-- > 0;) {
        s += scriptString(names[i]);
        if (i > 0) s += ",";
    }
    return s + "}";
}

bool hasDrive(const std::string& target) {
    const char c = target.empty() ? '\0' : target[0];
    return target.size() >= 3 && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '!') &&
           target[1] == ':' && target[2] == '\\';
}

class Writer {
public:
    Writer(const sis::Package& p, const std::vector<std::vector<std::string>>& sources,
           std::vector<std::string>* differences, std::vector<Substitution>* substitutions)
        : p_(p), sources_(sources), differences_(differences), substitutions_(substitutions) {}

    std::string run() {
        languages();
        header();
        for (size_t i = p_.requisites.size(); i-- > 0;) requisite(p_.requisites[i]);
        capabilities();
        for (size_t i = p_.records.size(); i-- > 0;) record(i);
        return out_.str();
    }

private:
    void differ(const std::string& why) {
        for (const std::string& d : *differences_) {
            if (d == why) return;
        }
        differences_->push_back(why);
    }

    void substitute(const std::string& words, const std::string& difference) {
        if (substitutions_) substitutions_->push_back({words, difference});
    }

    // The file line being written, as a user finds it: counted in the script from 1, with its
    // target as the script writes it (no line end can end the first line early).
    std::string thisFile(const sis::Record& r) const {
        std::string s = "file " + std::to_string(fileLine_);
        return r.destination.empty() ? s : s + " (" + scriptString(r.destination) + ")";
    }

    // A language the compiler does not take (a number above its range, one given twice) is
    // given an unused number in its place, counting down from the largest.
    void languages() {
        std::vector<uint16_t> said;
        uint16_t spare = kMaxLanguageNumber;
        auto taken = [&](uint16_t n) {
            return std::find(p_.languages.begin(), p_.languages.end(), n) != p_.languages.end() ||
                   std::find(said.begin(), said.end(), n) != said.end();
        };
        out_ << "&";
        for (size_t i = p_.languages.size(); i-- > 0;) {
            uint16_t n = p_.languages[i];
            const bool twice = std::find(said.begin(), said.end(), n) != said.end();
            if (n > kMaxLanguageNumber || twice) {
                while (spare > 0 && taken(spare)) --spare;
                substitute(std::string("language ") + languageToken(n) +
                               (twice ? " is given twice, which the compiler refuses"
                                      : " has a number above the compiler's 0 to 1000") +
                               ", so the script gives language " + languageToken(spare) +
                               " in its place",
                           "the languages");
                n = spare;
            }
            said.push_back(n);
            out_ << languageToken(n) << (i > 0 ? "," : "");
        }
        out_ << kEol;
    }

    void header() {
        const sis::Header& h = p_.header;
        out_ << "#" << nameList(p_.componentNames) << ",(" << hex(h.uid1) << ")," << h.major << ","
             << h.minor << "," << h.variant;
        if (!p_.er6 && (h.options & sis::kOptionDistributable)) out_ << ",ID";
        if (h.options & sis::kOptionNoCompress) out_ << ",NC";
        if (h.options & sis::kOptionShutdownApps) out_ << ",SH";
        static const char* const kTypes[] = {"SA", "SY", "SO", "SC", "SP", "SU"};
        if (h.type > 0 && h.type < 6) out_ << ",TYPE=" << kTypes[h.type];
        out_ << kEol;
        if (h.type >= 6) {
            substitute("package type " + std::to_string(h.type) +
                           " has no name in a script, so the rebuilt package has type SA",
                       "the package type");
        }
        if (p_.er6 && !(h.options & sis::kOptionUnicode)) differ("ER6 strings in 8 bits");
        const uint16_t known =
            p_.er6 ? sis::kOptionUnicode | sis::kOptionNoCompress | sis::kOptionShutdownApps
                   : sis::kOptionDistributable;
        if (h.options & ~known) {
            substitute("header options " + hex(h.options & ~known) +
                           " have no name in a script, so the rebuilt package leaves them out",
                       "the header options");
        }
        // The compiler writes the one installer version of each format.
        const uint32_t installer = p_.er6 ? sis::kInstallerVersionEr6 : sis::kInstallerVersionEr5;
        if (h.installerVersion != installer) {
            substitute("the package asks for installer version " +
                           std::to_string(h.installerVersion) + ", the rebuilt one for " +
                           std::to_string(installer) +
                           ": no script can say another, the compiler " + "writes " +
                           std::to_string(installer) + " in every " + (p_.er6 ? "ER6" : "ER5") +
                           " package",
                       kInstallerVersionDifference);
        }
    }

    void requisite(const sis::Requisite& q) {
        out_ << "(" << hex(q.uid) << ")," << q.major << "," << q.minor << "," << q.variant << ","
             << nameList(q.names) << kEol;
    }

    void capabilities() {
        if (p_.capabilities.empty()) return;
        out_ << "+(";
        for (size_t i = p_.capabilities.size(); i-- > 0;) {
            out_ << p_.capabilities[i].first << "=" << p_.capabilities[i].second
                 << (i > 0 ? "," : "");
        }
        out_ << ")" << kEol;
    }

    void record(size_t index) {
        const sis::Record& r = p_.records[index];
        switch (r.type) {
        case RecordType::SimpleFile:
        case RecordType::MultiLanguageFile:
            ++fileLine_;
            fileRecord(index);
            break;
        case RecordType::Options: options(index); break;
        case RecordType::If:
        case RecordType::ElseIf: {
            std::string text, why;
            if (hasUnusedWords(r.condition)) differ("conditions hold uninitialised words");
            if (!conditionText(r.condition, &text, &why)) {
                text = "0=1";
                substitute(why + ", so the script tests " + text + " there",
                           recordDifference(index, "its condition"));
            }
            indent_ -= r.type == RecordType::ElseIf ? 1 : 0;
            line((r.type == RecordType::If ? "IF " : "ELSEIF ") + text);
            ++indent_;
            break;
        }
        case RecordType::Else:
            --indent_;
            line("ELSE");
            ++indent_;
            break;
        case RecordType::EndIf:
            --indent_;
            line("ENDIF");
            break;
        }
    }

    void line(const std::string& text) {
        for (int i = 0; i < indent_; ++i) out_ << "  ";
        out_ << text << kEol;
    }

    void options(size_t index) {
        const sis::Record& r = p_.records[index];
        if (r.options.empty()) {
            substitute("an options list without options, which no script can say, is left out",
                       "the number of records");
            return;
        }
        std::string s = "!(";
        for (size_t k = r.options.size(); k-- > 0;) {
            s += nameList(r.options[k]);
            if (k > 0) s += ",";
        }
        line(s + ")");
        for (uint8_t b : r.selected) {
            if (b != 0xFF) {
                substitute(
                    "an options list has options deselected, which no script can say, "
                    "so the rebuilt one has them all selected",
                    recordDifference(index, "its options"));
                break;
            }
        }
    }

    // The script names sources in script order, the package keeps its forks in stored order.
    std::string source(size_t index, size_t fork) const {
        const std::vector<std::string>& forks = sources_[index];
        return scriptString(fork < forks.size() ? forks[fork] : std::string());
    }

    void fileRecord(size_t index) {
        const sis::Record& r = p_.records[index];
        const bool block = r.type == RecordType::MultiLanguageFile;
        const size_t forks = r.forks.size();
        if (r.fileType == static_cast<uint32_t>(FileType::Component)) {
            std::string s;
            if (block) {
                s = "{";
                for (size_t k = forks; k-- > 0;) s += "@" + source(index, k) + (k > 0 ? " " : "");
                s += "}";
            } else {
                s = "@" + source(index, 0);
            }
            line(s + ",(" + hex(r.details) + ")");
            if (!r.destination.empty()) differ("a component with a target");
            return;
        }
        std::string s;
        if (block && r.fileType == static_cast<uint32_t>(FileType::Null)) {
            substitute(thisFile(r) + " is an FN line in a language block, which the compiler " +
                           "refuses, so the script gives one FN line for every language",
                       recordDifference(index, "its kind"));
            line(source(index, 0) + "-" + destination(r) + fileOptions(index));
            return;
        }
        if (block) {
            s = "{";
            for (size_t k = forks; k-- > 0;) s += source(index, k) + (k > 0 ? " " : "");
            s += "}";
        } else {
            s = source(index, 0);
        }
        line(s + "-" + destination(r) + fileOptions(index));
    }

    std::string destination(const sis::Record& r) {
        const bool text = r.fileType == static_cast<uint32_t>(FileType::Text);
        // An FT line without a text option stores "c:\" for "", with one it stores nothing.
        if (text && r.destination == "c:\\") return "\"\"";
        if (text && r.destination.empty()) return "\"\"";
        if (!hasDrive(r.destination)) differ("a target without a drive");
        return scriptString(r.destination);
    }

    // The options of a file line. Where they cannot say the record's details, the rebuilt
    // record holds those the options give, and the first line says so.
    std::string fileOptions(size_t index) {
        const sis::Record& r = p_.records[index];
        const std::string difference = recordDifference(index, "its file type");
        if (r.fileType > static_cast<uint32_t>(FileType::Mime)) {
            substitute(thisFile(r) + " has file type " + std::to_string(r.fileType) +
                           ", which no option says, so the script installs it as a plain file",
                       difference);
            return "";
        }
        uint32_t said = 0;
        std::string why;
        const std::string options = fileOptionText(r, &said, &why);
        if (said == r.details) return options;
        if (why.empty()) {
            char details[80];
            std::snprintf(details, sizeof details, " holds details 0x%X, which no option says",
                          r.details);
            why = thisFile(r) + details + ", so the script gives it " +
                  (options.empty() ? "none" : options.substr(1));
        }
        substitute(why, difference);
        return options;
    }

    // The options that say the most of a record of a known file type: *said gets the details
    // they give, *why what the script adds so that it builds.
    std::string fileOptionText(const sis::Record& r, uint32_t* said, std::string* why) {
        const uint32_t d = r.details;
        const uint32_t runBits = sis::kRunSendEnd | sis::kRunWaitEnd;
        const std::string flags =
            std::string(d & sis::kRunSendEnd ? ",RS" : "") + (d & sis::kRunWaitEnd ? ",RW" : "");
        switch (r.fileType) {
        case static_cast<uint32_t>(FileType::Text): {
            static const char* const kText[] = {"TC", "TS", "TA", "TE"};
            // A text option empties the target: one with a target has none.
            if (!r.destination.empty()) {
                if (d <= 3) {
                    *why = thisFile(r) + " has both a target and text option " + kText[d] +
                           ", which no script can say together, so the script keeps the target";
                }
                return ",FT";
            }
            *said = d & 3;
            return std::string(",FT,") + kText[d & 3];
        }
        case static_cast<uint32_t>(FileType::Run): {
            static const char* const kWhen[] = {"RI", "RR", "RB"};
            const uint32_t when = (d & sis::kRunWhenMask) > 2 ? 0 : d & sis::kRunWhenMask;
            *said = when | (d & runBits);
            std::string options = std::string(",FR,") + kWhen[when] + flags;
            if (*said == d && when != sis::kRunInstall && !(d & sis::kRunWaitEnd)) {
                // The compiler refuses a file run on removal that is not waited for.
                *said |= sis::kRunWaitEnd;
                options += ",RW";
                *why = thisFile(r) + " runs on " +
                       (when == sis::kRunBoth ? "installation and removal" : "removal") +
                       " without waiting; the compiler needs RW with " + kWhen[when] +
                       ", so the script adds it";
            }
            return options;
        }
        case static_cast<uint32_t>(FileType::Null): return ",FN";
        case static_cast<uint32_t>(FileType::Mime):
            *said = d & runBits;
            return ",FM," + mimeString(r.mime) + flags;
        default: return "";  // a plain file
        }
    }

    // The MIME type is 8-bit text, read as Windows-1252; the script gives the same bytes as
    // characters U+0000 to U+00FF.
    std::string mimeString(const std::string& utf8) {
        std::string latin1;
        for (size_t i = 0; i < utf8.size();) {
            size_t n = utf8CharacterLength(utf8, i);
            if (n == 0) n = 1;
            uint32_t cp = static_cast<uint8_t>(utf8[i]);
            if (n > 1) {
                cp &= 0xFF >> (n + 1);
                for (size_t j = 1; j < n; ++j) cp = (cp << 6) | (utf8[i + j] & 0x3F);
            }
            i += n;
            int byte = -1;
            for (int b = 0; b < 256 && byte < 0; ++b) {
                if (windows1252CodePoint(static_cast<uint8_t>(b)) == cp) byte = b;
            }
            if (byte < 0 || (byte >= 0x80 && byte <= 0x9F)) {
                differ("a MIME type with bytes 0x80 to 0x9F");
                byte = '?';
            }
            appendUtf8(latin1, static_cast<uint32_t>(byte));
        }
        return scriptString(latin1);
    }

    const sis::Package& p_;
    const std::vector<std::vector<std::string>>& sources_;
    std::vector<std::string>* differences_;
    std::vector<Substitution>* substitutions_;
    std::ostringstream out_;
    size_t fileLine_ = 0;  // file lines written so far
    int indent_ = 0;
};

}  // namespace

std::string scriptString(const std::string& utf8) {
    std::string out;
    bool open = false;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const bool coded = c < 0x20 || c == 0x7F || c == '"';
        if (coded) {
            if (open) out += "\"";
            open = false;
            out += "<" + std::to_string(c) + ">";
            ++i;
            continue;
        }
        if (!open) out += "\"";
        open = true;
        const size_t n = utf8CharacterLength(utf8, i);
        out.append(utf8, i, n == 0 ? 1 : n);
        i += n == 0 ? 1 : n;
    }
    if (open || out.empty()) out += "\"";
    if (out == "\"") out = "\"\"";
    return out;
}

std::string languageToken(uint16_t number) {
    const sis::LanguageCode* l = sis::languageByNumber(number);
    // "IF" reads as the keyword: language 24 is written as its number.
    if (l && l->code && std::string(l->code) != "IF") {
        const sis::LanguageCode* back = sis::languageByCode(l->code);
        if (back && back->number == number) return l->code;
    }
    return std::to_string(number);
}

bool conditionText(const sis::Expression& e, std::string* text, std::string* why) {
    static const char* const kCompare[] = {"=", "<>", ">", "<", ">=", "<="};
    const auto& o = e.operands;
    std::string a, b;
    switch (e.type) {
    case NodeType::Equal:
    case NodeType::NotEqual:
    case NodeType::Greater:
    case NodeType::Less:
    case NodeType::GreaterOrEqual:
    case NodeType::LessOrEqual:
        if (!isLeaf(o[0]) || !isLeaf(o[1])) {
            *why = "a condition compares more than a name or a number";
            return false;
        }
        if (!leafText(o[0], &a, why) || !leafText(o[1], &b, why)) return false;
        *text = a + kCompare[static_cast<int>(e.type)] + b;
        return true;
    case NodeType::And:
    case NodeType::Or: {
        if (!conditionText(o[0], &a, why) || !conditionText(o[1], &b, why)) return false;
        // The compiler joins from the left and binds AND before OR: brackets keep any other
        // tree as it is.
        if (isJunction(o[0]) && o[0].type != e.type) a = "(" + a + ")";
        if (isJunction(o[1])) b = "(" + b + ")";
        *text = a + (e.type == NodeType::And ? " AND " : " OR ") + b;
        return true;
    }
    case NodeType::Not:
        if (!conditionText(o[0], &a, why)) return false;
        *text = "NOT(" + a + ")";
        return true;
    case NodeType::Exists:
        if (o[0].type != NodeType::String) {
            *why = "EXISTS of something else than a string";
            return false;
        }
        *text = "EXISTS(" + scriptString(o[0].text) + ")";
        return true;
    case NodeType::DevCap:
        if (o[0].type != NodeType::Number) {
            *why = "DEVCAP of something else than a number";
            return false;
        }
        *text = "DEVCAP(" + number(o[0].value) + ")";
        return true;
    case NodeType::AppCap:
        if (o[0].type != NodeType::Number || o[1].type != NodeType::Number) {
            *why = "APPCAP of something else than numbers";
            return false;
        }
        *text = "APPCAP(" + hex(o[0].value) + "," + number(o[1].value) + ")";
        return true;
    case NodeType::Attribute:
    case NodeType::Number: return leafText(e, text, why);
    case NodeType::String: break;
    }
    *why = "a condition that is a bare string";
    return false;
}

std::string writeScript(const sis::Package& package,
                        const std::vector<std::vector<std::string>>& sources,
                        std::vector<std::string>* differences,
                        std::vector<Substitution>* substitutions) {
    return Writer(package, sources, differences, substitutions).run();
}

}  // namespace tovrin::sislist
