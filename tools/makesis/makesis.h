#pragma once
// The package compiler as a library: a pkg script in, a pre-9 (ER6) .sis package out.
// Every message goes to `out`, the way the compiler has always reported: "Processing x.pkg...",
// then either "Created x.sis" or "x.pkg(<line>) : error: <text>" lines.

#include <ostream>
#include <string>
#include <vector>

namespace tovrin::makesis {

// `args` without the program name. Returns the exit status: 0 when the package was written,
// 1 on any error (no package is left behind then).
int run(const std::vector<std::string>& args, std::ostream& out);

}  // namespace tovrin::makesis
