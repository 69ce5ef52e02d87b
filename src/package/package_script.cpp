#include "src/package/package_script.h"

#include <cstdio>

#include "src/lang/language_list.h"
#include "src/platform/local_text.h"
#include "src/platform/path.h"
#include "src/sis/sis_format.h"

namespace tovrin {

const char* const kContactAddress = "tovrin-wizard@quen.example.org";

std::string aboutText() {
    return std::string("This installer was created with Tovrin 0.9 by Quen. For info: ") +
           kContactAddress;
}

std::vector<std::string> languageLines(const std::string& language) {
    if (language.empty() || language == kDefaultLanguage) return {};
    return {"&" + leadingCharacters(language, 2), ""};
}

std::vector<std::string> headerLines(const PackageSettings& s) {
    return {"#{\"" + s.name + "\"},(0x" + s.uid + "), " + s.major + ", " + s.minor + ", " + s.build,
            ""};
}

std::string dependencyLine() {
    char uid[11];
    std::snprintf(uid, sizeof uid, "0x%08X", static_cast<unsigned>(sis::kSeries60ProductUid));
    return "(" + std::string(uid) + "), 0, 0, 0, {\"Series60ProductID\"}";
}

std::string aboutLine(const std::string& appFolder) {
    return aboutFileLine(binFile(appFolder, "AboutInstaller.txt"));
}

std::string aboutFileLine(const std::string& aboutFile) {
    return "\"" + aboutFile + "\" - \"\",FT";
}

std::string fileLine(const std::string& projectFolder, const std::string& entry) {
    // Built in place: a project may have tens of thousands of files.
    std::string line;
    line.reserve(projectFolder.size() + 2 * entry.size() + 7);
    line += '"';
    line += projectFolder;
    line.append(entry, 1, std::string::npos);
    line += "\"-\"!:";
    for (char c : entry) line += c == kSeparator ? '\\' : c;
    line += '"';
    return line;
}

std::vector<std::string> packageScript(const PackageSettings& s, const std::string& aboutFile,
                                       const std::vector<std::string>& entries) {
    std::vector<std::string> lines = languageLines(s.language);
    for (std::string& line : headerLines(s)) lines.push_back(std::move(line));
    if (s.supportAll) lines.push_back(dependencyLine());
    lines.push_back(aboutFileLine(aboutFile));
    lines.reserve(lines.size() + entries.size());
    for (const std::string& entry : entries) lines.push_back(fileLine(s.projectFolder, entry));
    return lines;
}

}  // namespace tovrin
