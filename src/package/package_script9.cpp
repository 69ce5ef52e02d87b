#include "src/package/package_script9.h"

#include <cstdio>
#include <cstdlib>

#include "src/package/package_script.h"

namespace tovrin {
namespace {

constexpr uint32_t kFirstUnprotectedUid = 0x80000000u;

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

std::vector<std::string> packageScript9(const PackageSettings& s, const Sis9Settings& n,
                                        const std::string& aboutFile,
                                        const std::vector<std::string>& entries) {
    std::vector<std::string> lines = languageLines(s.language);
    for (std::string& line : headerLines(s)) lines.push_back(std::move(line));
    lines.push_back("%{" + quoted(n.vendor) + "}");
    lines.push_back(":" + quoted(n.vendor));
    if (s.supportAll) {
        char platform[11];
        std::snprintf(platform, sizeof platform, "0x%08X", static_cast<unsigned>(n.platform));
        lines.push_back("[" + std::string(platform) + "], 0, 0, 0, {\"Series60ProductID\"}");
    }
    lines.push_back(aboutFileLine(aboutFile) + ",TC");
    lines.reserve(lines.size() + entries.size());
    for (const std::string& entry : entries) lines.push_back(fileLine(s.projectFolder, entry));
    return lines;
}

std::string checkSelfSignedUid(const std::string& uid) {
    if (uid.empty() || uid.size() > 8 || uid.find_first_not_of("0123456789abcdefABCDEF") !=
                                             std::string::npos)
        return "";
    if (std::strtoul(uid.c_str(), nullptr, 16) >= kFirstUnprotectedUid) return "";
    return "UID " + uid +
           " is protected: a self-signed package needs a UID from 80000000 to FFFFFFFF "
           "(A0000000 to AFFFFFFF for programs you give out, E0000000 to EFFFFFFF for tests)";
}

}  // namespace tovrin
