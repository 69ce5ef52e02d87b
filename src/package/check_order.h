#pragma once
// The checks of one build in the order they run, listed here once for the create command and
// tovrin-build. The create command writes its files between the groups, as the window always
// has (a failed check leaves what was written before it); tovrin-build runs the groups in the
// same order before it writes anything. Each group returns the message of its first failing
// check, or the empty text when all pass.

#include <string>
#include <vector>

#include "src/package/package_settings.h"

namespace tovrin {

// Check 1, then the folders and the name as the scripts must carry them. `appFolder` is the
// folder the scripts name, or "" where no script is written.
std::string checkFolders(const PackageSettings& s, const std::string& appFolder);

// Checks 2 to 4 with the rules of the name between them.
std::string checkNameAndUid(const PackageSettings& s);

// Check 5 is checkSource (package_settings.h): it comes before the scan on its own.

// After the scan: how many files there are below the project folder, then their names.
std::string checkProjectEntries(const std::vector<std::string>& entries);

}  // namespace tovrin
