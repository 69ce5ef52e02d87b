#include "src/package/check_order.h"

#include "src/package/entry_checks.h"

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
             checkTargetIsFile,
             checkUid,
             checkUidLength,
         })
        if (std::string m = check(s); !m.empty()) return m;
    return "";
}

std::string checkProjectEntries(const std::vector<std::string>& entries) {
    if (std::string m = checkEntryCount(entries); !m.empty()) return m;
    return checkEntries(entries);
}

}  // namespace tovrin
