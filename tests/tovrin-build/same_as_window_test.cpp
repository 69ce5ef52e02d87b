// For the same values and the same project folder, tovrin-build writes the script the
// window's create command writes (all but the about line's path) and delivers the package
// the window's script compiles to, byte for byte.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "src/package/create_command.h"
#include "src/package/package_script.h"
#include "src/platform/local_text.h"
#include "src/platform/path.h"
#include "tests/support/fake_starter.h"
#include "tests/support/fake_window.h"
#include "tests/support/temp_dir.h"
#include "tools/tovrin-build/tovrin_build.h"
#include "src/compiler/makesis.h"

namespace fs = std::filesystem;
using namespace tovrin;
using test::readFile;

namespace {

const std::string kSep(1, kSeparator);

struct Project {
    const char* label;
    std::vector<std::pair<std::string, std::string>> files;  // UTF-8 paths below the project
    std::vector<std::string> args;                           // of the command
    std::function<void(test::FakeWindow&)> window;           // the same values in the window
};

void PrintTo(const Project& c, std::ostream* os) { *os << c.label; }

class SameAsWindow : public ::testing::TestWithParam<Project> {};

TEST_P(SameAsWindow, ScriptAndPackage) {
    const Project& c = GetParam();
    test::TempDir root;
    const std::string app = root.str() + kSep + "app";
    const std::string project = root.str() + kSep + "proj" + kSep;
    const std::string windowOut = root.str() + kSep + "window" + kSep;
    const std::string commandOut = root.str() + kSep + "command" + kSep;
    for (const std::string& folder : {app + kSep + "bin", project, windowOut, commandOut})
        fs::create_directories(fs::path(folder));
    for (const auto& [path, bytes] : c.files) test::writeFile(project + localFromUtf8(path), bytes);

    // The window: its script, compiled as go.bat compiles it.
    test::FakeWindow w;
    w.setText(Control::txtProjPath, project);
    w.setText(Control::txtDest, windowOut);
    c.window(w);
    test::FakeStarter starter;
    Wizard wizard{w, app, app, starter, nullptr, nullptr, {}};
    cmdDo_Click(wizard);
    ASSERT_TRUE(w.messages.empty()) << w.messages[0].text;
    std::ostringstream said;
    ASSERT_EQ(makesis::run({binFile(app, "temp.pkg"), windowOut + "window.sis"}, said), 0)
        << said.str();

    std::vector<std::string> args = c.args;
    args.push_back(project);
    std::ostringstream script, err, out;
    args.push_back("--pkg");
    ASSERT_EQ(build::run(args, TOVRIN_APP_DIR, {script, err, false}), 0) << err.str();
    args.pop_back();
    args.insert(args.end(), {"-d", commandOut});
    ASSERT_EQ(build::run(args, TOVRIN_APP_DIR, {out, err, false}), 0) << err.str();

    std::string windowScript = readFile(binFile(app, "temp.pkg"));
    const std::string windowAbout = aboutLine(app) + "\r\n";
    windowScript.replace(windowScript.find(windowAbout), windowAbout.size(),
                         aboutFileLine("AboutInstaller.txt") + "\r\n");
    EXPECT_EQ(script.str(), windowScript);
    const std::string name = w.text(Control::txtName);
    EXPECT_TRUE(readFile(commandOut + name + ".sis") == readFile(windowOut + "window.sis"))
        << "the packages differ";
}

INSTANTIATE_TEST_SUITE_P(
    Projects, SameAsWindow,
    ::testing::Values(Project{"AccentsAndALanguage",
                              {{"system/apps/D\xC3\xA9mo/D\xC3\xA9mo.app", "app"},
                               {"system/apps/D\xC3\xA9mo/\xC3\xBC\xC3\x9F.txt", "text\r\n"},
                               {"na\xC3\xAFve.dat", "0123456789"}},
                              {"-n", localFromUtf8("D\xC3\xA9mo"), "-l", "GE", "-u", "10203040",
                               "-V", "2.3.4"},
                              [](test::FakeWindow& w) {
                                  w.setText(Control::txtName, localFromUtf8("D\xC3\xA9mo"));
                                  w.selectLanguage("GE - German");
                                  w.setText(Control::txtUID, "10203040");
                                  w.setText(Control::txtVer, "2");
                                  w.setText(Control::txtMin, "3");
                                  w.setText(Control::txtBuild, "4");
                              }},
                      Project{"NoDependency",
                              {{"a.app", "a"}, {"sub/b.rsc", std::string(3000, 'b')}},
                              {"--no-series60"},
                              [](test::FakeWindow& w) {
                                  w.setText(Control::txtName, "Name");
                                  w.setValue(Control::ckSupp, 0);
                              }},
                      Project{"EmptyProject",
                              {},
                              {"-n", "Empty"},
                              [](test::FakeWindow& w) { w.setText(Control::txtName, "Empty"); }}),
    [](const ::testing::TestParamInfo<Project>& p) { return std::string(p.param.label); });

}  // namespace
