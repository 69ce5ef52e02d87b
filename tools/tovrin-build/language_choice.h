#pragma once
// The language box of the window as an argument: the entry of languages.wzl that a name
// given on the command line picks.

#include <string>
#include <vector>

namespace tovrin::build {

// The entry ("FR - French") whose whole text, code ("FR") or name ("French") equals `given`
// without regard to the case of A-Z; empty when none does.
std::string chooseLanguage(const std::vector<std::string>& entries, const std::string& given);

}  // namespace tovrin::build
