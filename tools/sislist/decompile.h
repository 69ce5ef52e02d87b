#pragma once
// sislist --pkg DIR: a package back to its script. Writes into DIR (made if missing, refused
// when it holds anything) the script "<package name>.pkg" and every file it names (layout in
// file_layout.h), then builds the script in memory and compares the result with the package
// (rebuild_check.h). The script's first line is the command that rebuilds the package in DIR,
// and says when the rebuild gives the same contents but not the same bytes, and why.
// With `components`, every embedded package is decompiled too, into "<its file>-pkg/".
// A package that does not read or verify gives the listing's errors and nothing is written.

#include <ostream>
#include <string>

namespace tovrin::sislist {

// Returns the exit status: 0 when the script rebuilds the package as its first line says.
int decompile(const std::string& file, const std::string& folder, bool components,
              std::ostream& out, std::ostream& err);

}  // namespace tovrin::sislist
