#pragma once
// Ctrl-C and termination requests for a console program that must clean up before it ends:
// once caught, they only set a flag that the program's work asks for between its steps.

namespace tovrin {

// From now on an interrupt (Ctrl-C; on POSIX also SIGTERM and SIGHUP) no longer ends the
// program at once.
void catchInterrupts();

bool interruptRequested();

}  // namespace tovrin
