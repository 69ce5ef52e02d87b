#include "src/package/entry_checks.h"

#include <algorithm>
#include <map>

#include "src/package/control_characters.h"
#include "src/platform/folder_listing.h"
#include "src/platform/local_text.h"
#include "src/platform/path.h"
#include "src/sis/sis_format.h"
#include "src/text/case_folding.h"

namespace tovrin {
namespace {

bool breaksFileLine(char32_t c) {
    return c == '"' || isControlCharacter(c) || (kSeparator != '\\' && c == '\\');
}

// The target as the phone compares it: "\" between folders, case folded.
std::u32string phoneName(const std::u32string& entry) {
    std::u32string name = foldCase(entry);
    std::replace(name.begin(), name.end(), static_cast<char32_t>(kSeparator), U'\\');
    return name;
}

}  // namespace

std::string checkEntries(const std::vector<std::string>& entries) {
    std::vector<std::u32string> characters;
    characters.reserve(entries.size());
    for (const std::string& entry : entries) {
        characters.push_back(packagedCodePoints(entry));
        const std::u32string& c = characters.back();
        if (std::any_of(c.begin(), c.end(), breaksFileLine))
            return "The file " + withControlsShown(entry) +
                   " cannot be packaged: its name holds a quotation mark, a backslash or a "
                   "control character.";
        // On Windows the scan marks each character the code page lacks; no name holds the mark.
        if (kNamesMarkMissingCharacters && holdsCharacter(entry, kMissingCharacterMark))
            return "The file " + entry +
                   " cannot be packaged: its name holds a character that this system's code page "
                   "lacks.";
    }
    std::map<std::u32string, std::size_t> seen;  // phone name to the first entry with it
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto [first, added] = seen.emplace(phoneName(characters[i]), i);
        if (!added)
            return "The files " + entries[first->second] + " and " + entries[i] +
                   " cannot both be packaged: the phone does not tell their names apart.";
    }
    return "";
}

std::string checkEntryCount(const std::vector<std::string>& entries) {
    const std::size_t most = sis::header::kMaxFileRecords - 1;  // the about text takes one
    if (entries.size() <= most) return "";
    return "The project folder holds " + std::to_string(entries.size()) +
           " files, more than a package can hold: at most " + std::to_string(most) + ".";
}

}  // namespace tovrin
