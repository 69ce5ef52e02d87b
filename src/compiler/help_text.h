#pragma once
// The banner, the version line, the usage line and the -h summary of the script format.

#include <ostream>

namespace tovrin::makesis {

void printBanner(std::ostream& out);
void printVersion(std::ostream& out);  // "makesis <version>"
void printUsage(std::ostream& out);
void printFormatHelp(std::ostream& out);

}  // namespace tovrin::makesis
