#pragma once
#include <string>
#include <vector>

namespace tovrin {

// The name under which del.bat first copies the package into the destination folder: of this
// process's own, so that two wizards delivering into one folder never write the same file.
std::string deliveryCopyName(const std::string& name);

// del.bat: replace <destination><name>.sis by bin/temp.sis and delete the build's
// temporaries. The package is copied to <destination><copyName> and moved over the target
// only when the copy succeeded, so the target is replaced in one step or not at all; the copy
// is then deleted, which removes what a failed copy or move left. Those lines are written
// only when a package was made, so a failed build leaves the earlier package in place.
std::vector<std::string> delBatLines(const std::string& appFolder, const std::string& destination,
                                     const std::string& name, const std::string& copyName,
                                     bool packageMade);

}  // namespace tovrin
