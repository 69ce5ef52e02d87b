#pragma once
// Reads a package script into a Package. The first error stops the parse; it is reported as
// one or more diagnostics with the script line they belong to.

#include <functional>
#include <string>
#include <vector>

#include "src/pkg/pkg_model.h"

namespace tovrin::makesis {

struct Diagnostic {
    int line = 0;  // 0: not tied to a line
    std::string message;
    std::string detail;  // further lines printed as they are (a list of known names)
};

// Looks a source file up as the script names it (with the bytes decodeScript carries, which
// the finder turns into characters for `found.written`); false when there is no such file,
// or when several answer to it (then listed in `matches`).
using SourceFinder = std::function<bool(const std::u16string& written, Source& found,
                                        std::vector<std::string>& matches)>;

// False (with diagnostics) when the script has an error. With `er5` the script is read for an
// ER5 package: character codes are Windows-1252 bytes, the header takes ID, and what that
// form cannot carry is an error (IU, NC, SH, FM, capabilities, a character Windows-1252
// lacks in a string the package stores). A signature line is an error unless
// `allowUnsigned`: it is then read, its files looked up, and its line kept in the package.
bool parsePackage(const std::u16string& script, const SourceFinder& findSource, Package& package,
                  std::vector<Diagnostic>& diagnostics, bool er5 = false,
                  bool allowUnsigned = false);

}  // namespace tovrin::makesis
