#pragma once
// sissign [-s] in.sis out.sisx cert key [password]   adds a signature chain
// sissign -u in.sisx out.sis                         removes every chain
// sissign -p in.sisx                                 shows the chains, whether each verifies
// sissign --new-cert cert key [--subject S] [--days N] [--bits N] [--password P]
// sissign -h | --help | --version
// The arguments stand in the order SDK-era makefiles give them. Returns the exit status: 0 on
// success (with -p: every chain verifies), 1 on a failure after "<file>: <message>" or
// "sissign: <message>" on `err`, 2 on a usage error.

#include <ostream>
#include <string>
#include <vector>

namespace tovrin::sissign {

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tovrin::sissign
