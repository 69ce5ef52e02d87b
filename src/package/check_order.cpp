#include "src/package/check_order.h"

namespace tovrin {

std::string checkFolders(const PackageSettings& s, const std::string& appFolder) {
    if (std::string m = checkDestination(s); !m.empty()) return m;
    if (std::string m = checkFoldersForScripts(s, appFolder); !m.empty()) return m;
    return checkReadableInScripts(s, appFolder);
}

std::string checkNameAndUid(const PackageSettings& s) {
    for (auto check : {
             checkName,
             checkNameIsFileName,
             checkNameIsNoDevice,
             // The target's own check joins here, right after the name checks.
             checkUid,
             checkUidLength,
         })
        if (std::string m = check(s); !m.empty()) return m;
    return "";
}

std::string checkProjectEntries(const std::vector<std::string>& entries) {
    // The check of the entries' names (checkEntries) goes here as the one check of this group.
    (void)entries;
    return "";
}

}  // namespace tovrin
