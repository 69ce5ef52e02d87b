#include <gtest/gtest.h>

#include "src/delivery/del_script.h"
#include "src/platform/path.h"

using namespace tovrin;

namespace {

const std::string s(1, kSeparator);
#ifdef _WIN32
const std::string kRes = "RES.TXT";
#else
const std::string kRes = "res.txt";
#endif

struct DelCase {
    const char* what;
    std::string app, destination, name;
    bool packageMade;
    std::vector<std::string> lines;
};

class DelBat : public ::testing::TestWithParam<DelCase> {};

TEST_P(DelBat, HoldsItsLines) {
    const DelCase& c = GetParam();
    EXPECT_EQ(delBatLines(c.app, c.destination, c.name, c.name + ".sis.7.tmp", c.packageMade),
              c.lines)
        << c.what;
}

const std::string A = s + "Wizard", B = A + s + "bin" + s, P = s + "Packages" + s;

INSTANTIATE_TEST_SUITE_P(
    Cases, DelBat,
    ::testing::Values(
        DelCase{
            "delivered package",
            A,
            s + "Packages" + s,
            "Demo",
            true,
            {"cd " + B,
             "copy " + B + "temp.sis " + P + "Demo.sis.7.tmp && move /y " + P + "Demo.sis.7.tmp " +
                 P + "Demo.sis",
             "del " + P + "Demo.sis.7.tmp", "del " + B + kRes, "del " + B + "AboutInstaller.txt",
             "del " + B + "temp.pkg", "del " + B + "temp.sis", "del " + B + "go.bat"}},
        DelCase{"no package: the earlier one stays",
                A,
                s + "Packages" + s,
                "Demo",
                false,
                {"cd " + B, "del " + B + kRes, "del " + B + "AboutInstaller.txt",
                 "del " + B + "temp.pkg", "del " + B + "temp.sis", "del " + B + "go.bat"}},
        DelCase{"name keeps its case, nothing between folder and name",
                A,
                s + "P" + s,
                "MyApp",
                true,
                {"cd " + B,
                 "copy " + B + "temp.sis " + s + "P" + s + "MyApp.sis.7.tmp && move /y " + s + "P" +
                     s + "MyApp.sis.7.tmp " + s + "P" + s + "MyApp.sis",
                 "del " + s + "P" + s + "MyApp.sis.7.tmp", "del " + B + kRes,
                 "del " + B + "AboutInstaller.txt", "del " + B + "temp.pkg",
                 "del " + B + "temp.sis", "del " + B + "go.bat"}},
        DelCase{"blanks, & and % are quoted or doubled",
                s + "my wiz",
                s + "R&D 100%" + s,
                "My App",
                true,
                {"cd \"" + s + "my wiz" + s + "bin" + s + "\"",
                 "copy \"" + s + "my wiz" + s + "bin" + s + "temp.sis\" \"" + s + "R&D 100%%" + s +
                     "My App.sis.7.tmp\" && move /y \"" + s + "R&D 100%%" + s +
                     "My App.sis.7.tmp\" \"" + s + "R&D 100%%" + s + "My App.sis\"",
                 "del \"" + s + "R&D 100%%" + s + "My App.sis.7.tmp\"",
                 "del \"" + s + "my wiz" + s + "bin" + s + kRes + "\"",
                 "del \"" + s + "my wiz" + s + "bin" + s + "AboutInstaller.txt\"",
                 "del \"" + s + "my wiz" + s + "bin" + s + "temp.pkg\"",
                 "del \"" + s + "my wiz" + s + "bin" + s + "temp.sis\"",
                 "del \"" + s + "my wiz" + s + "bin" + s + "go.bat\""}}));

}  // namespace
