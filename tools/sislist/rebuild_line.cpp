#include "tools/sislist/rebuild_line.h"

namespace tovrin::sislist {

Shell hostShell() {
#ifdef _WIN32
    return Shell::Cmd;
#else
    return Shell::Posix;
#endif
}

std::string shellWord(const std::string& word, Shell shell) {
    if (shell == Shell::Cmd) {
        const bool plain =
            !word.empty() && word.find_first_of(" \t&|<>^(),;=\"") == std::string::npos;
        if (plain) return word;
        // Backslashes right before the closing quote would escape it: they are doubled.
        size_t trailing = 0;
        while (trailing < word.size() && word[word.size() - 1 - trailing] == '\\') ++trailing;
        return "\"" + word + std::string(trailing, '\\') + "\"";
    }
    bool plain = !word.empty();
    for (unsigned char c : word) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') ||
                          std::string("_./:=@%+,-").find(static_cast<char>(c)) != std::string::npos;
        plain = plain && safe;
    }
    if (plain) return word;
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string rebuildLine(const std::vector<std::string>& command,
                        const std::vector<std::string>& reasons, Shell shell, bool otherContents) {
    std::string line = "; rebuild";
    if (!reasons.empty()) {
        line +=
            otherContents ? " (not the same contents: " : " (same contents, not the same bytes: ";
        for (size_t i = 0; i < reasons.size(); ++i) line += (i ? "; " : "") + reasons[i];
        line += ")";
    }
    line += ":";
    for (const std::string& word : command) line += " " + shellWord(word, shell);
    return line;
}

}  // namespace tovrin::sislist
