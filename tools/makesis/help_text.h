#pragma once
// The banner, the usage line and the -h summary of the script format.

#include <ostream>

namespace tovrin::makesis {

void printBanner(std::ostream& out);
void printUsage(std::ostream& out);
void printFormatHelp(std::ostream& out);

}  // namespace tovrin::makesis
