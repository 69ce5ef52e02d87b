#include "src/package/entry_checks.h"

#include "src/platform/folder_listing.h"
#include "src/platform/local_text.h"

namespace tovrin {

std::string checkEntries(const std::vector<std::string>& entries) {
    for (const std::string& entry : entries) {
        // On Windows the scan marks each character the code page lacks; no name holds the mark.
        if (kNamesMarkMissingCharacters && holdsCharacter(entry, kMissingCharacterMark))
            return "The file " + entry +
                   " cannot be packaged: its name holds a character that this system's code page "
                   "lacks.";
    }
    return "";
}

}  // namespace tovrin
