#pragma once
#include <string>
#include <vector>

namespace tovrin {

// del.bat: replace <destination><name>.sis by bin/temp.sis and delete the build's
// temporaries. The delete-and-copy pair is written only when a package was made, so a
// failed build leaves the earlier package in place.
std::vector<std::string> delBatLines(const std::string& appFolder, const std::string& destination,
                                     const std::string& name, bool packageMade);

}  // namespace tovrin
