#include "src/lang/language_list.h"

#include <algorithm>

#include "src/platform/path.h"
#include "src/platform/read_file.h"
#include "src/platform/window.h"

namespace tovrin {

const char* const kDefaultLanguage = " Default - English";

std::vector<std::string> languageEntries(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(bytes.substr(pos, end - pos));
        pos = end;
        if (pos < bytes.size() && bytes[pos] == '\r') ++pos;
        if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
    }
    if (!lines.empty()) lines.erase(lines.begin());  // the header
    return lines;
}

void sortLanguages(std::vector<std::string>& entries) {
    auto folded = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    auto before = [&](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [&](char x, char y) {
                                                return folded(static_cast<unsigned char>(x)) <
                                                       folded(static_cast<unsigned char>(y));
                                            });
    };
    std::stable_sort(entries.begin(), entries.end(), before);
}

void LoadLang(Window& w, const std::string& appFolder) {
    std::vector<std::string> entries{kDefaultLanguage};
    std::string bytes;
    const bool read = readWholeFile(binFile(appFolder, "languages.wzl"), &bytes);
    if (read) {
        std::vector<std::string> fromFile = languageEntries(bytes);
        entries.insert(entries.end(), fromFile.begin(), fromFile.end());
    }
    sortLanguages(entries);
    for (const std::string& entry : entries) w.comboAdd(entry);
    if (!read) w.dialogs().messageBox("Error opening languages.wzl", "Error", MessageIcon::Error);
}

}  // namespace tovrin
