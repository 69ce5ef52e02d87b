#pragma once
// tovrin-wizard [-h | --help | --version]: the wizard takes no arguments of its own but answers
// these two as every command does, before it opens a window, so they work without a display.
// Anything else is left to the window toolkit.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tovrin {

// The exit status when the arguments (without the program's name) asked for the help or the
// version, which were written to `out`; nothing when the window should open.
std::optional<int> answerWizardCommandLine(const std::vector<std::string>& args, std::ostream& out);

}  // namespace tovrin
