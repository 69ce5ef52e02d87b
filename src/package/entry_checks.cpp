#include "src/package/entry_checks.h"

#include <algorithm>
#include <unordered_map>

#include "src/package/control_characters.h"
#include "src/platform/folder_listing.h"
#include "src/platform/local_text.h"
#include "src/platform/path.h"
#include "src/sis/sis_format.h"
#include "src/text/case_folding.h"
#include "src/text/utf8.h"

namespace tovrin {
namespace {

bool breaksFileLine(char32_t c) {
    return c == '"' || isControlCharacter(c) || (kSeparator != '\\' && c == '\\');
}

// The target as the phone compares it, "\\" between folders and case folded, as UTF-8: the
// key under which two names the phone takes for one meet.
std::string phoneKey(const std::u32string& entry) {
    std::string key;
    key.reserve(entry.size());
    for (char32_t c : entry)
        appendUtf8(key, c == static_cast<char32_t>(kSeparator) ? U'\\' : foldCase(c));
    return key;
}

}  // namespace

std::string checkEntries(const std::vector<std::string>& entries) {
    // One pass; a pair the phone takes for one is reported only once every entry has passed
    // the rules of its own name.
    std::unordered_map<std::string, std::size_t> seen;  // phone name to its first entry
    seen.reserve(entries.size());
    std::string firstPair;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& entry = entries[i];
        const std::u32string c = packagedCodePoints(entry);
        if (std::any_of(c.begin(), c.end(), breaksFileLine))
            return "The file " + withControlsShown(entry) +
                   " cannot be packaged: its name holds a quotation mark, a backslash or a "
                   "control character.";
        // On Windows the scan marks each character the code page lacks; no name holds the mark.
        if (kNamesMarkMissingCharacters && holdsCharacter(entry, kMissingCharacterMark))
            return "The file " + entry +
                   " cannot be packaged: its name holds a character that this system's code page "
                   "lacks.";
        const auto [first, added] = seen.emplace(phoneKey(c), i);
        if (!added && firstPair.empty())
            firstPair = "The files " + entries[first->second] + " and " + entry +
                        " cannot both be packaged: the phone does not tell their names apart.";
    }
    return firstPair;
}

std::string checkEntryCount(const std::vector<std::string>& entries) {
    const std::size_t most = sis::header::kMaxFileRecords - 1;  // the about text takes one
    if (entries.size() <= most) return "";
    return "The project folder holds " + std::to_string(entries.size()) +
           " files, more than a package can hold: at most " + std::to_string(most) + ".";
}

}  // namespace tovrin
