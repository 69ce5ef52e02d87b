#include "lang/language_list.h"

#include "package/package_script.h"
#include "platform/path.h"
#include "platform/read_file.h"

namespace tovrin {

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

void LoadLang(Window& w, const std::string& appFolder) {
    w.comboAdd(kDefaultLanguage);
    std::string bytes;
    if (!readWholeFile(binFile(appFolder, "languages.wzl"), &bytes)) {
        w.messageBox("Error opening languages.wzl", "Error", MessageIcon::Error);
        return;
    }
    for (const std::string& entry : languageEntries(bytes)) w.comboAdd(entry);
}

}  // namespace tovrin
