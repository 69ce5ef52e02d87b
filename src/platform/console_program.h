#pragma once
// The start of the console programs (the compiler, the lister and tovrin-build).

#include <string>
#include <vector>

namespace tovrin {

// Makes the program's standard output and error take their bytes as they are written (the Windows C
// runtime would write every LF as CR LF), and, on Windows, makes narrow paths read in the
// ANSI code page, as the command line gives them. Returns false when the output cannot be
// set up.
bool startConsoleProgram();

// The program's arguments after its name, as local 8-bit text. On Windows they are taken from
// the wide command line, each character the ANSI code page lacks written as "?": the narrow
// arguments the C runtime hands over put a look-alike in its place ("ł" as "l"), and a package
// would be named or found under another name without a word.
std::vector<std::string> programArguments(int argc, char** argv);

}  // namespace tovrin
