// The wizard's answers to -h, --help and --version, and the arguments it leaves to the window.
#include <gtest/gtest.h>

#include <sstream>

#include "src/app/wizard_command_line.h"

namespace tovrin {
namespace {

struct Case {
    const char* name;
    std::vector<std::string> args;
    std::optional<int> status;
    std::string outStart;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class WizardCommandLine : public ::testing::TestWithParam<Case> {};

TEST_P(WizardCommandLine, AnswersOrOpensTheWindow) {
    std::ostringstream out;
    EXPECT_EQ(answerWizardCommandLine(GetParam().args, out), GetParam().status);
    EXPECT_EQ(out.str().rfind(GetParam().outStart, 0), 0u) << out.str();
    if (!GetParam().status) EXPECT_EQ(out.str(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, WizardCommandLine,
    ::testing::Values(Case{"Short", {"-h"}, 0, "usage: tovrin-wizard"},
                      Case{"Long", {"-style", "fusion", "--help"}, 0, "usage: tovrin-wizard"},
                      Case{"Version", {"--version"}, 0, "tovrin-wizard " TOVRIN_VERSION "\n"},
                      Case{"HelpWinsOverVersion", {"--version", "-h"}, 0, "usage: tovrin-wizard"},
                      Case{"Nothing", {}, std::nullopt, ""},
                      Case{"ToolkitOptions", {"-platform", "offscreen"}, std::nullopt, ""}),
    [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
}  // namespace tovrin
