#pragma once
// sislist [-x DIR] package.sis
// sislist -h | --help | --version
// Lists a pre-9 package and verifies it; with -x also extracts its files below DIR (naming in
// extract.h). Returns the exit status: 0 when the package is whole and verified (and, with -x,
// every file was written) and after the help or the version on `out`, 1 otherwise, after "<file>:
// <message>" lines on `err`.

#include <ostream>
#include <string>
#include <vector>

namespace tovrin::sislist {

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tovrin::sislist
