#pragma once
// Running a program named by a script line. No shell takes part: the program is found by its
// exact name and started with an argument array.

#include <string>
#include <vector>

namespace tovrin::cmd {

// The program a script names by its bare name (REQUIRES: no "/" in it), as an absolute path,
// or "" when there is none. It is looked for in the current folder only, never on PATH, which
// is where go.bat's compiler lies: an executable regular file of exactly that name (no
// extension is added).
std::string findProgram(const std::string& name, const std::string& currentFolder);

// Runs `program` with `args` (args[0] is the name as written) in `folder`, its standard
// output on `outputFd` (-1: this process's own), and waits for it to end. False with a reason
// in `error` when it could not be started; otherwise `*status` is its exit status (128 plus
// the signal's number when a signal ended it), which the program reports itself.
bool runProgram(const std::string& program, const std::vector<std::string>& args,
                const std::string& folder, int outputFd, int* status, std::string* error);

}  // namespace tovrin::cmd
