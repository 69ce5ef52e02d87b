#include "src/app/wizard_command_line.h"

#include <algorithm>

namespace tovrin {

std::optional<int> answerWizardCommandLine(const std::vector<std::string>& args,
                                           std::ostream& out) {
    const auto given = [&args](const char* option) {
        return std::find(args.begin(), args.end(), option) != args.end();
    };
    if (given("-h") || given("--help")) {
        out << "usage: tovrin-wizard [-h | --help | --version]\n"
               "Opens the wizard's window, which builds a Series 60 installation package (.sis)\n"
               "from a project folder.\n";
        return 0;
    }
    if (given("--version")) {
        out << "tovrin-wizard " TOVRIN_VERSION "\n";
        return 0;
    }
    return std::nullopt;
}

}  // namespace tovrin
