// The progress line: nothing in the first second nor when off, then one line rewritten in
// place, wiped at the end; and the language an argument picks.

#include <gtest/gtest.h>

#include <sstream>

#include "tools/tovrin-build/language_choice.h"
#include "tools/tovrin-build/progress_line.h"

using namespace tovrin;
using build::ProgressLine;

namespace {

struct Step {
    int afterMs;
    std::size_t files;
};

struct ProgressCase {
    const char* what;
    bool enabled;
    std::vector<Step> steps;
    std::string shown;  // everything written, the wiping included
};

class Progress : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(Progress, ShowsOnlyWhenWanted) {
    const ProgressCase& c = GetParam();
    std::ostringstream terminal;
    const auto start = ProgressLine::Clock::now();
    {
        ProgressLine line(terminal, c.enabled, start);
        for (const Step& step : c.steps) {
            makesis::Progress p{step.files, 10, step.files * 150000, 1500000};
            line.show(p, start + std::chrono::milliseconds(step.afterMs));
        }
    }
    EXPECT_EQ(terminal.str(), c.shown) << c.what;
}

const std::string kOne = "tovrin-build: 8/10 files, 1.2/1.5 MB";
const std::string kTwo = "tovrin-build: 10/10 files, 1.5/1.5 MB";

INSTANTIATE_TEST_SUITE_P(
    Table, Progress,
    ::testing::Values(
        ProgressCase{"off", false, {{1500, 8}, {1700, 10}}, ""},
        ProgressCase{"quick build", true, {{200, 8}, {900, 10}}, ""},
        ProgressCase{"slow build",
                     true,
                     {{500, 1}, {1500, 8}, {1550, 9}, {1700, 10}},
                     "\r" + kOne + "\r" + kTwo + "\r" + std::string(kTwo.size(), ' ') + "\r"},
        ProgressCase{"the last file is always shown",
                     true,
                     {{1500, 8}, {1510, 10}},
                     "\r" + kOne + "\r" + kTwo + "\r" + std::string(kTwo.size(), ' ') + "\r"}));

TEST(LanguageChoice, MatchesEntryCodeOrNameInAnyCase) {
    const std::vector<std::string> entries = {"EN - UK English", "FR - French", "ZH - Chinese"};
    const struct {
        std::string given, entry;
    } cases[] = {{"FR - French", "FR - French"},
                 {"fr", "FR - French"},
                 {"chinese", "ZH - Chinese"},
                 {"uk english", "EN - UK English"},
                 {"English", ""},
                 {"F", ""},
                 {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(build::chooseLanguage(entries, c.given), c.entry) << c.given;
}

}  // namespace
