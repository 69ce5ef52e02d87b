#pragma once
// tovrin-build as a library: the wizard's "Create .sis file" as one command, with the
// window's checks, package script and compiler, and no window.
//
// The checks run in the window's order with its messages, written to `err` as
// "tovrin-build: <message>". The package script goes into a scratch folder of the run's own
// and the compiler runs in this process; the package is written beside its target under a
// temporary name and renamed over it when complete, so an earlier package survives any
// failure.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace tovrin::build {

struct Console {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;  // progress is shown only then
    // Asked between the steps of the build and after each file of the package: true stops
    // the build, which then leaves nothing behind and ends with kInterrupted.
    std::function<bool()> interrupted = [] { return false; };
};

constexpr int kInterrupted = 130;  // as shells report a command ended by Ctrl-C

// `args` without the program name; `appFolder` holds bin/languages.wzl. Returns the exit
// status: 0 when the package was written (or the script, with --pkg), 1 when a check or the
// build failed, 2 on a usage error, kInterrupted when stopped.
int run(const std::vector<std::string>& args, const std::string& appFolder, Console console);

}  // namespace tovrin::build
