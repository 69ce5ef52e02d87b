#pragma once
// The start of the console programs (the compiler and the lister).

namespace tovrin {

// Makes the program's standard output and error take their bytes as they are written (the Windows C
// runtime would write every LF as CR LF), and, on Windows, makes narrow paths read in the
// ANSI code page, as the command line gives them. Returns false when the output cannot be
// set up.
bool startConsoleProgram();

}  // namespace tovrin
