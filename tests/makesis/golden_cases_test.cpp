// Every compiler case of the test data, run through the built compiler as a process in a
// fresh copy of the case folder: the package must equal expected.sis byte for byte, the exit
// status expected.rc, and the errors must name the same script lines as expected.out.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using tovrin::test::readFile;
using tovrin::test::TempDir;

namespace {

struct GoldenCase {
    std::string name;
    fs::path folder;
};

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.name; }

std::vector<GoldenCase> allCases() {
    std::vector<GoldenCase> cases;
    const fs::path root = fs::path(TOVRIN_TEST_DATA_DIR);
    for (const char* group : {"makesis", "reference"}) {
        for (const auto& entry : fs::directory_iterator(root / group)) {
            if (entry.is_directory())
                cases.push_back({entry.path().filename().string(), entry.path()});
        }
    }
    std::sort(cases.begin(), cases.end(),
              [](const GoldenCase& a, const GoldenCase& b) { return a.name < b.name; });
    return cases;
}

// The arguments of each case: the script alone, except where the data's README gives more.
std::vector<std::string> argumentsOf(const std::string& name) {
    if (name == "test2") return {"-da", "test2.pkg"};
    return {name + ".pkg"};
}

// "x.pkg(3)" for every "x.pkg(3) : error: ..." line.
std::vector<std::string> errorPlaces(const std::string& output) {
    static const std::regex kError(R"(^(\S+\(\d+\)) : error: .*$)");
    std::vector<std::string> places;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::smatch m;
        if (std::regex_match(line, m, kError)) places.push_back(m[1]);
    }
    return places;
}

std::set<std::string> listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        names.insert(fs::relative(entry.path(), folder).generic_string());
    }
    return names;
}

class GoldenCaseTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenCaseTest, MatchesExpectedPackageStatusAndErrors) {
    const GoldenCase& c = GetParam();
    TempDir dir;
    fs::copy(c.folder, dir.path(), fs::copy_options::recursive);
    fs::permissions(dir.path(), fs::perms::owner_all, fs::perm_options::add);
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
        fs::permissions(entry.path(), fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::add);
    }
    const std::set<std::string> before = listing(dir.path());

    const tovrin::test::ProgramRun result = tovrin::test::runProgram(
        tovrin::test::appProgram("bin/makesis.exe"), argumentsOf(c.name), dir.path());

    const fs::path rcFile = c.folder / "expected.rc";
    const int expectedStatus = fs::exists(rcFile) ? std::stoi(readFile(rcFile)) : 0;
    EXPECT_EQ(result.status, expectedStatus) << result.out;
    EXPECT_EQ(result.err, "");

    const fs::path package = dir.path() / (c.name + ".sis");
    const fs::path expectedPackage = c.folder / "expected.sis";
    std::set<std::string> after = listing(dir.path());
    if (fs::exists(expectedPackage)) {
        ASSERT_TRUE(fs::exists(package)) << result.out;
        EXPECT_TRUE(readFile(package) == readFile(expectedPackage)) << "package differs";
        after.erase(c.name + ".sis");
    }
    EXPECT_EQ(after, before) << "the compiler left other files behind, or removed some";

    const fs::path expectedOut = c.folder / "expected.out";
    if (fs::exists(expectedOut)) {
        EXPECT_EQ(errorPlaces(result.out), errorPlaces(readFile(expectedOut))) << result.out;
        EXPECT_EQ(result.out.substr(0, result.out.find('\n')),
                  "Processing " + argumentsOf(c.name).back() + "...");
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, GoldenCaseTest, ::testing::ValuesIn(allCases()),
                         [](const ::testing::TestParamInfo<GoldenCase>& p) {
                             std::string name = p.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
