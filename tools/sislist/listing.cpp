#include "tools/sislist/listing.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "tools/sislist/temp_folder.h"

namespace tovrin::sislist {
namespace {

using sis::FileType;
using sis::NodeType;
using sis::RecordType;

std::string hex(uint32_t v, int digits = 8) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%0*X", digits, v);
    return buf;
}

const char* fileTypeName(uint32_t type) {
    switch (type) {
    case static_cast<uint32_t>(FileType::File): return "FF";
    case static_cast<uint32_t>(FileType::Text): return "FT";
    case static_cast<uint32_t>(FileType::Component): return "component";
    case static_cast<uint32_t>(FileType::Run): return "FR";
    case static_cast<uint32_t>(FileType::Null): return "FN";
    case static_cast<uint32_t>(FileType::Mime): return "FM";
    default: return nullptr;
    }
}

std::string runFlags(uint32_t details) {
    std::string s;
    if (details & sis::kRunSendEnd) s += ",RS";
    if (details & sis::kRunWaitEnd) s += ",RW";
    return s;
}

// The script options that give these details, where the file type defines them.
std::string detailsMeaning(uint32_t fileType, uint32_t details) {
    static const char* const kText[] = {"TC", "TS", "TA", "TE"};
    static const char* const kWhen[] = {"RI", "RR", "RB"};
    switch (fileType) {
    case static_cast<uint32_t>(FileType::Text): return details < 4 ? kText[details] : "";
    case static_cast<uint32_t>(FileType::Run): {
        const uint32_t when = details & sis::kRunWhenMask;
        if (when > 2 || (details & ~(sis::kRunWhenMask | sis::kRunSendEnd | sis::kRunWaitEnd))) {
            return "";
        }
        return kWhen[when] + runFlags(details);
    }
    case static_cast<uint32_t>(FileType::Mime): {
        if (details & ~(sis::kRunSendEnd | sis::kRunWaitEnd)) return "";
        const std::string flags = runFlags(details);
        return flags.empty() ? "" : flags.substr(1);
    }
    case static_cast<uint32_t>(FileType::Component): return "UID " + hex(details);
    default: return "";
    }
}

std::string optionNames(uint16_t options) {
    std::string s;
    const struct {
        uint16_t bit;
        const char* name;
    } kNames[] = {
        {sis::kOptionUnicode, "IU"},
        {sis::kOptionDistributable, "ID"},
        {sis::kOptionNoCompress, "NC"},
        {sis::kOptionShutdownApps, "SH"},
    };
    for (const auto& n : kNames) {
        if (options & n.bit) s += std::string(s.empty() ? "" : ",") + n.name;
    }
    return s;
}

std::string typeName(uint16_t type) {
    static const char* const kTypes[] = {"SA", "SY", "SO", "SC", "SP", "SU"};
    return type < 6 ? kTypes[type] : "unknown";
}

std::string driveText(uint16_t drive) {
    std::string s = hex(drive, 4);
    if (drive >= 0x21 && drive < 0x7F) s += std::string(" '") + static_cast<char>(drive) + "'";
    return s;
}

std::string attributeName(uint32_t id) {
    switch (id) {
    case sis::kAttributeManufacturer: return "Manufacturer";
    case sis::kAttributeModel: return "Model";
    case sis::kAttributeMachineUid: return "MachineUid";
    case sis::kAttributeCpu: return "CPU";
    case sis::kAttributeLanguage: return "Language";
    case sis::kAttributeRemoteInstall: return "RemoteInstall";
    default: break;
    }
    if (id > sis::kAttributeOptionBase &&
        id <= sis::kAttributeOptionBase + sis::options_record::kMaxOptions) {
        return "option" + std::to_string(id - sis::kAttributeOptionBase);
    }
    return "Attribute(" + hex(id) + ")";
}

std::string number(uint32_t v) { return v < 0x10000 ? std::to_string(v) : hex(v); }

bool isLeaf(const sis::Expression& e) {
    return e.type == NodeType::String || e.type == NodeType::Attribute ||
           e.type == NodeType::Number;
}

std::string operand(const sis::Expression& e) {
    return isLeaf(e) ? formatExpression(e) : "(" + formatExpression(e) + ")";
}

void listNames(std::ostream& out, const char* indent, const char* label, const sis::Package& p,
               const std::vector<std::string>& names) {
    for (size_t i = 0; i < names.size(); ++i) {
        out << indent << label << " (" << languageLabel(p.languages[i]) << "): " << quote(names[i])
            << "\n";
    }
}

void listRecord(std::ostream& out, const sis::Package& p, size_t index) {
    const sis::Record& r = p.records[index];
    out << "record " << index << " at " << hex(r.offset) << ": ";
    switch (r.type) {
    case RecordType::SimpleFile:
    case RecordType::MultiLanguageFile: {
        const char* name = fileTypeName(r.fileType);
        out << (r.type == RecordType::SimpleFile ? "file" : "multi-language file") << ", "
            << (name ? name : "file type " + std::to_string(r.fileType)) << ", details "
            << hex(r.details);
        const std::string meaning = detailsMeaning(r.fileType, r.details);
        if (!meaning.empty()) out << " (" << meaning << ")";
        out << "\n  source: " << quote(r.source) << "\n  destination: " << quote(r.destination)
            << "\n";
        if (!r.mime.empty()) out << "  MIME type: " << quote(r.mime) << "\n";
        for (size_t k = 0; k < r.forks.size(); ++k) {
            const sis::Fork& f = r.forks[k];
            out << "  fork " << k;
            if (r.type == RecordType::MultiLanguageFile) {
                out << " (" << languageLabel(p.languages[k]) << ")";
            }
            out << ": stored " << f.storedLength << " at " << hex(f.dataPtr) << ", original "
                << f.originalLength << "\n";
        }
        break;
    }
    case RecordType::Options:
        // Numbered as the script and the conditions number them: the list is stored reversed.
        out << "options, " << r.options.size() << "\n";
        for (size_t k = 1; k <= r.options.size(); ++k) {
            listNames(out, "  ", ("option " + std::to_string(k)).c_str(), p,
                      r.options[r.options.size() - k]);
        }
        out << "  selected:";
        for (uint8_t b : r.selected) {
            char buf[4];
            std::snprintf(buf, sizeof buf, " %02X", b);
            out << buf;
        }
        out << "\n";
        break;
    case RecordType::If: out << "IF " << formatExpression(r.condition) << "\n"; break;
    case RecordType::ElseIf: out << "ELSEIF " << formatExpression(r.condition) << "\n"; break;
    case RecordType::Else: out << "ELSE\n"; break;
    case RecordType::EndIf: out << "ENDIF\n"; break;
    }
}

}  // namespace

std::string quote(const std::string& text) {
    std::string s = "\"";
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F || c == '"' || c == '<') {
            s += "<" + std::to_string(c) + ">";
        } else {
            s.push_back(static_cast<char>(c));
        }
    }
    return s + "\"";
}

std::string languageLabel(uint32_t number) {
    const sis::LanguageCode* l = sis::languageByNumber(number);
    return (l && l->code) ? l->code : "language " + std::to_string(number);
}

std::string formatExpression(const sis::Expression& e) {
    static const char* const kCompare[] = {"=", "<>", ">", "<", ">=", "<="};
    const auto& o = e.operands;
    switch (e.type) {
    case NodeType::Equal:
    case NodeType::NotEqual:
    case NodeType::Greater:
    case NodeType::Less:
    case NodeType::GreaterOrEqual:
    case NodeType::LessOrEqual:
        return operand(o[0]) + kCompare[static_cast<int>(e.type)] + operand(o[1]);
    case NodeType::And: return operand(o[0]) + " AND " + operand(o[1]);
    case NodeType::Or: return operand(o[0]) + " OR " + operand(o[1]);
    case NodeType::Exists: return "EXISTS(" + formatExpression(o[0]) + ")";
    case NodeType::DevCap: return "DEVCAP(" + formatExpression(o[0]) + ")";
    case NodeType::AppCap:
        return "APPCAP(" + formatExpression(o[0]) + "," + formatExpression(o[1]) + ")";
    case NodeType::Not: return "NOT(" + formatExpression(o[0]) + ")";
    case NodeType::String: return quote(e.text);
    case NodeType::Attribute: return attributeName(e.value);
    case NodeType::Number: return number(e.value);
    }
    return "?";
}

std::string formatListing(const sis::Package& p, const std::vector<sis::Check>& checks) {
    const sis::Header& h = p.header;
    std::ostringstream out;
    out << "file size: " << p.fileSize << "\n"
        << "format: " << (p.er6 ? "ER6" : "ER5") << "\n"
        << "UID1: " << hex(h.uid1) << "\n"
        << "UID2: " << hex(h.uid2) << "\n"
        << "UID3: " << hex(h.uid3) << "\n"
        << "UID4: " << hex(h.uid4) << "\n"
        << "checksum: " << hex(h.checksum, 4) << "\n"
        << "languages: " << h.languageCount << "\n"
        << "file-area records: " << h.fileCount << "\n"
        << "requisites: " << h.requisiteCount << "\n"
        << "installation language: " << h.installLanguage << "\n"
        << "installation files: " << h.installFiles << "\n"
        << "installation drive: " << driveText(h.installDrive) << "\n"
        << "capabilities: " << h.capabilityCount << "\n"
        << "installer version: " << h.installerVersion << "\n"
        << "options: " << hex(h.options, 4);
    const std::string names = optionNames(h.options);
    if (!names.empty()) out << " (" << names << ")";
    out << "\n"
        << "type: " << h.type << " (" << typeName(h.type) << ")\n"
        << "major: " << h.major << "\n"
        << "minor: " << h.minor << "\n"
        << "variant: " << h.variant << "\n"
        << "languages pointer: " << hex(h.languagesPtr) << "\n"
        << "files pointer: " << hex(h.filesPtr) << "\n"
        << "requisites pointer: " << hex(h.requisitesPtr) << "\n"
        << "certificates pointer: " << hex(h.certificatesPtr) << "\n"
        << "component-name pointer: " << hex(h.componentNamePtr) << "\n";
    if (p.er6) {
        out << "signature pointer: " << hex(h.signaturePtr) << "\n"
            << "capabilities pointer: " << hex(h.capabilitiesPtr) << "\n"
            << "installed space: " << h.installedSpace << "\n"
            << "maximum installed space: " << h.maxInstalledSpace << "\n";
    }
    std::vector<std::string> folders = tempFolders(p);
    folders.erase(std::remove(folders.begin(), folders.end(), std::string()), folders.end());
    if (!folders.empty()) {
        out << "temporary folder" << (folders.size() == 1 ? "" : "s") << ":";
        for (const std::string& f : folders) out << " " << quote(f);
        out << "\n";
    }

    out << "\n";
    for (size_t i = 0; i < p.languages.size(); ++i) {
        const sis::LanguageCode* l = sis::languageByNumber(p.languages[i]);
        out << "language " << i << ": " << p.languages[i];
        if (l) out << " " << (l->code ? l->code : "--") << " " << l->name;
        out << "\n";
    }
    listNames(out, "", "component name", p, p.componentNames);
    for (size_t i = 0; i < p.requisites.size(); ++i) {
        const sis::Requisite& q = p.requisites[i];
        out << "requisite " << i << ": UID " << hex(q.uid) << ", version " << q.major << "."
            << q.minor << ", variant " << q.variant << "\n";
        listNames(out, "  ", "name", p, q.names);
    }
    for (size_t i = 0; i < p.capabilities.size(); ++i) {
        out << "capability " << i << ": key " << p.capabilities[i].first << ", value "
            << p.capabilities[i].second << "\n";
    }

    out << "\nfile-area records in stored order (installed from the last to the first):\n";
    for (size_t i = 0; i < p.records.size(); ++i) listRecord(out, p, i);

    out << "\n";
    size_t failed = 0;
    for (const sis::Check& c : checks) {
        out << "check " << c.what << ": " << (c.ok ? "ok" : "FAILED") << ", " << c.detail << "\n";
        if (!c.ok) ++failed;
    }
    out << "result: "
        << (failed == 0 ? std::string("verified")
                        : std::to_string(failed) + " check" + (failed == 1 ? "" : "s") + " failed")
        << "\n";
    return out.str();
}

}  // namespace tovrin::sislist
