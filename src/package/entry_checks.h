#pragma once
// The checks on the entries the scan gave, made after the scan: a file the package cannot
// carry under its own name is refused, never left out or renamed.

#include <string>
#include <vector>

namespace tovrin {

// The message for the first entry that cannot be packaged, or the empty text.
std::string checkEntries(const std::vector<std::string>& entries);

}  // namespace tovrin
