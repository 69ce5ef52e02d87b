#include "src/pkg/language_usage.h"

#include "src/sis/sis_format.h"

namespace tovrin::makesis {

std::string languageUsage() {
    std::string usage = "  Usage : &aa,bb,...zz (two-letter codes, or numbers 0 to 1000)";
    std::string line;
    for (const sis::LanguageCode& language : sis::kLanguageCodes) {
        if (!language.code) continue;
        const std::string entry = std::string(language.code) + " - " + language.name;
        if (!line.empty() && line.size() + entry.size() + 2 > 68) {
            usage += "\n          " + line + ",";
            line.clear();
        }
        line += (line.empty() ? "" : ", ") + entry;
    }
    usage += "\n          " + line;
    return usage;
}

}  // namespace tovrin::makesis
