#pragma once
// Reads a Symbian 9 script into a Package9. The first error stops the parse and is reported
// as diagnostics with their script line, as for pre-9 scripts (pkg_parser.h).

#include <string>
#include <vector>

#include "src/pkg/pkg9_model.h"
#include "src/pkg/pkg_parser.h"

namespace tovrin::makesis {

// With `stub` the files are not looked up: a ROM stub names files already on the phone, and
// its sources are usually empty ("").
bool parsePackage9(const std::u16string& script, const SourceFinder& findSource,
                   Package9& package, std::vector<Diagnostic>& diagnostics, bool stub = false);

}  // namespace tovrin::makesis
