#include "tools/sislist/listing9.h"

#include <cstdio>
#include <sstream>

#include "src/sis9/condition_text.h"
#include "src/sis9/signature_text.h"
#include "tools/sislist/listing.h"

namespace tovrin::sislist {
namespace {

using sis9::Controller;
using sis9::FileDescription;
using sis9::InstallBlock;

std::string hex(uint64_t v, int digits = 8) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(v));
    return text;
}

const char* statusName(sis9::Status s) {
    switch (s) {
    case sis9::Status::Ok: return "ok";
    case sis9::Status::Warning: return "WARNING";
    case sis9::Status::Failed: return "FAILED";
    }
    return "?";
}

std::string bits(uint32_t value, std::initializer_list<std::pair<uint32_t, const char*>> names) {
    std::string s;
    for (const auto& n : names) {
        if (value & n.first) {
            s += (s.empty() ? "" : ",") + std::string(n.second);
            value &= ~n.first;
        }
    }
    if (value) s += (s.empty() ? "" : ",") + hex(value, 1);
    return s;
}

std::string operationText(const FileDescription& f) {
    std::string name;
    std::string options;
    switch (f.operation) {
    case sis9::kOpLanguageFile: name = "language file, installed as FF"; break;
    case sis9::kOpInstall:
        name = "FF";
        options = bits(f.options, {{0x8000, "0x8000: set by some compilers, meaning unknown"}});
        break;
    case sis9::kOpRun:
        name = "FR";
        options = bits(f.options, {{sis9::kRunInstall, "RI"},
                                   {sis9::kRunRemove, "RR"},
                                   {sis9::kRunWaitEnd, "RW"}});
        break;
    case sis9::kOpText:
        name = "FT";
        options = f.options == 0 ? "TC" : bits(f.options, {{sis9::kTextAbort, "TA"}});
        break;
    case sis9::kOpNull: name = "FN"; break;
    default: name = "operation " + std::to_string(f.operation); break;
    }
    if (options.empty() && f.options != 0) options = hex(f.options, 1);
    return name + ", options " + hex(f.options) + (options.empty() ? "" : " (" + options + ")");
}

void listNames(std::ostream& out, const std::string& indent, const std::string& label,
               const Controller& c, const std::vector<std::string>& names) {
    for (size_t i = 0; i < names.size(); ++i) {
        out << indent << label << " ("
            << (i < c.languages.size() ? languageLabel(c.languages[i]) : "no language") << "): "
            << quote(names[i]) << "\n";
    }
}

void listDependency(std::ostream& out, const char* kind, size_t i, const Controller& c,
                    const sis9::Dependency& d) {
    out << "  " << kind << " " << i << ": UID " << hex(d.uid);
    if (!d.hasRange) {
        out << ", any version";
    } else if (!d.hasTo) {
        out << ", version " << versionText(d.from) << " or later";
    } else {
        out << ", versions " << versionText(d.from) << " to " << versionText(d.to);
    }
    out << "\n";
    listNames(out, "    ", "name", c, d.names);
}

void listFile(std::ostream& out, const std::string& indent, size_t position,
              const FileDescription& f, const sis9::Verification& v) {
    out << indent << "file " << position << ": " << quote(f.target) << ", " << operationText(f)
        << "\n";
    const std::string in = indent + "  ";
    if (!f.mime.empty()) out << in << "MIME type: " << quote(f.mime) << "\n";
    const auto r = v.files.find(&f);
    out << in << "size: " << f.uncompressedLength << " (stored " << f.length << "), file index "
        << f.fileIndex;
    if (r != v.files.end() && !r->second.hasData) out << ", no data in the package";
    out << "\n";
    out << in << "SHA-1: "
        << (f.hash.empty() ? std::string("none") : sis9::hexDigest(f.hash.data(), f.hash.size()));
    if (r != v.files.end() && r->second.hasData) {
        out << ", computed " << sis9::hexDigest(r->second.sha1.data(), r->second.sha1.size());
    }
    out << "\n";
    if (f.hasCapabilities) {
        const uint64_t caps = f.capabilityBits();
        out << in << "capabilities: " << hex(caps) << (caps ? " " : "")
            << sis9::capabilityNames(caps) << "\n";
        const uint64_t restricted = sis9::restrictedCapabilities(caps);
        if (restricted) {
            out << in << "beyond what a self-signed package may have: "
                << sis9::capabilityNames(restricted) << "\n";
        }
    }
}

void listBlock(std::ostream& out, const std::string& indent, const InstallBlock& b,
               const sis9::Verification& v) {
    for (size_t i = 0; i < b.files.size(); ++i) listFile(out, indent, i, b.files[i], v);
    for (const Controller& c : b.embedded) {
        out << indent << "embedded package " << hex(c.uid) << " "
            << (c.names.empty() ? std::string("\"\"") : quote(c.names[0]))
            << " (listed below as " << c.path << ")\n";
    }
    for (const InstallBlock::If& i : b.ifs) {
        out << indent << "IF " << sis9::formatCondition(i.condition) << "\n";
        listBlock(out, indent + "  ", i.body, v);
        for (const auto& e : i.elseIfs) {
            if (sis9::isElseCondition(e.condition)) {
                out << indent << "ELSE\n";
            } else {
                out << indent << "ELSEIF " << sis9::formatCondition(e.condition) << "\n";
            }
            listBlock(out, indent + "  ", e.body, v);
        }
        out << indent << "ENDIF\n";
    }
}

void listController(std::ostream& out, const Controller& c, const sis9::Verification& v) {
    out << "\n" << c.path << (c.depth == 0 ? "" : " (embedded package)") << ":\n";
    out << "  UID: " << hex(c.uid) << "\n"
        << "  unique vendor name: " << quote(c.uniqueVendor) << "\n";
    listNames(out, "  ", "name", c, c.names);
    listNames(out, "  ", "vendor name", c, c.vendors);
    char when[64];
    std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day,
                  c.hour, c.minute, c.second);
    out << "  version: " << versionText(c.version) << "\n"
        << "  created: " << when << "\n"
        << "  type: " << int(c.installType) << " (" << installTypeName(c.installType) << ")\n"
        << "  install flags: " << hex(c.installFlags, 2);
    if (c.installFlags) {
        out << " (" << bits(c.installFlags, {{sis9::kFlagNonRemovable, "NR"},
                                              {sis9::kFlagRomUpgrade, "RU"}})
            << ")";
    }
    out << "\n  languages:";
    for (uint32_t l : c.languages) out << " " << languageLabel(l);
    if (c.languages.empty()) out << " none";
    out << "\n";
    for (size_t i = 0; i < c.options.size(); ++i) {
        listNames(out, "  ", "option " + std::to_string(i + 1), c, c.options[i]);
    }
    for (size_t i = 0; i < c.targets.size(); ++i) {
        listDependency(out, "target device", i, c, c.targets[i]);
    }
    for (size_t i = 0; i < c.dependencies.size(); ++i) {
        listDependency(out, "dependency", i, c, c.dependencies[i]);
    }
    for (const auto& p : c.properties) {
        out << "  property: key " << p.first << ", value " << p.second << "\n";
    }
    if (c.hasLogo) {
        out << "  logo:\n";
        listFile(out, "    ", 0, c.logo, v);
    }
    out << "  data index: " << c.dataIndex << " (data unit " << c.dataUnit << ")\n"
        << "  signature chains: " << c.chains.size() << "\n"
        << "  install block as it will run:\n";
    if (c.install.files.empty() && c.install.embedded.empty() && c.install.ifs.empty()) {
        out << "    nothing\n";
    }
    listBlock(out, "    ", c.install, v);
}

}  // namespace

std::string versionText(const sis9::Version& v) {
    auto part = [](int32_t n) { return n == -1 ? std::string("*") : std::to_string(n); };
    return part(v.major) + "." + part(v.minor) + "." + part(v.build);
}

std::string installTypeName(uint8_t type) {
    static const char* const kTypes[] = {"SA", "SP", "PU", "PA", "PP"};
    return type < 5 ? kTypes[type] : "type " + std::to_string(type);
}

std::string formatListing9(const sis9::Package& p, const sis9::Verification& v,
                           const std::vector<sis9::ChainResult>& chains) {
    std::ostringstream out;
    out << "file size: " << p.fileSize << "\n";
    switch (p.form) {
    case sis9::Form::Package:
        out << "format: SIS9\n"
            << "UID1: " << hex(p.uid1) << "\n"
            << "UID2: " << hex(p.uid2) << "\n"
            << "UID3: " << hex(p.uid3) << "\n"
            << "UID4: " << hex(p.uid4) << "\n"
            << "controller checksum: "
            << (p.hasControllerChecksum ? hex(p.controllerChecksum, 4) : "none") << "\n"
            << "data checksum: " << (p.hasDataChecksum ? hex(p.dataChecksum, 4) : "none")
            << "\n"
            << "controller: " << p.controllerBytes.size() << " bytes, "
            << (p.controllerCompression == 1 ? "deflated" : "stored") << " in "
            << p.controllerFieldSize << "\n"
            << "data units: " << p.units.size() << "\n";
        break;
    case sis9::Form::Stub:
        out << "format: SIS9 stub (a lone controller: no file data)\n";
        break;
    case sis9::Form::BareController:
        out << "format: SIS9 stub (a controller body as a phone keeps it: no file data)\n";
        break;
    }
    sis9::forEachController(p.controller, [&](const Controller& c) { listController(out, c, v); });

    out << "\nsignatures:\n";
    if (chains.empty()) out << "none\n";
    out << sis9::formatChains(chains);

    out << "\n";
    for (const sis9::Check& c : v.checks) {
        out << "check " << c.what << ": " << statusName(c.status) << ", " << c.detail << "\n";
    }
    const size_t failed = v.count(sis9::Status::Failed);
    const size_t warnings = v.count(sis9::Status::Warning);
    out << "result: "
        << (failed == 0 ? std::string("verified")
                        : std::to_string(failed) + " check" + (failed == 1 ? "" : "s") + " failed");
    if (warnings) out << " (" << warnings << " warning" << (warnings == 1 ? "" : "s") << ")";
    out << "\n";
    return out.str();
}

}  // namespace tovrin::sislist
