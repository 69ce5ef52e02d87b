// Whole builds with real processes: the real batch interpreter runs go.bat and del.bat, the
// test compiler stands in for the package compiler, the ticks run until the window is idle.

#include <gtest/gtest.h>

#include <filesystem>

#include "src/platform/process.h"
#include "tests/delivery/build_runner.h"
#include "tests/support/build_fixture.h"
#include "tests/support/fake_window.h"

namespace fs = std::filesystem;
using namespace tovrin;
using test::readFile;

namespace {

class WholeBuild : public ::testing::Test {
protected:
    WholeBuild() {
        w.setText(Control::txtProjPath, f.project);
        w.setText(Control::txtDest, f.destination);
        w.setText(Control::txtName, "Demo");
        f.root.write("proj/system/apps/Demo/Demo.app", "app bytes");
    }

    void build() {
        test::runBuild(wizard);
        ASSERT_FALSE(w.enabled(Control::Timer1));
        ASSERT_FALSE(w.enabled(Control::Timer2));
        ASSERT_TRUE(w.enabled(Control::Form1));
        ASSERT_FALSE(w.visible(Control::Frame1));
    }

    std::string package() const { return readFile(f.destination + "Demo.sis"); }

    std::vector<std::string> binFiles() const { return test::folderNames(fs::path(f.app) / "bin"); }

    test::BuildFolders f;
    test::FakeWindow w;
    std::unique_ptr<ScriptStarter> starter = makeScriptStarter(f.app);
    Wizard wizard{w, f.app, f.app, *starter, nullptr, nullptr, {}};
};

TEST_F(WholeBuild, DeliversTheCompiledPackageAndCleansUp) {
    f.root.write("out/Demo.sis", "earlier package");
    build();
    const std::string sis = package();
    EXPECT_EQ(sis.rfind("test package\n#{\"Demo\"},(0x01000000), 1, 0, 0\r\n", 0), 0u) << sis;
    EXPECT_NE(sis.find("\"-\"!:\\system\\apps\\Demo\\Demo.app\""), std::string::npos) << sis;
    EXPECT_EQ(binFiles(), std::vector<std::string>{"makesis.exe"});
    EXPECT_TRUE(w.messages.empty());
}

TEST_F(WholeBuild, FailedCompileKeepsTheEarlierPackageAndShowsTheCompilersOutput) {
    f.root.write("out/Demo.sis", "earlier package");
    f.compilerMode("fail");
    build();
    EXPECT_EQ(package(), "earlier package");
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].title, "Error");
    EXPECT_NE(w.messages[0].text.find("The package was not created."), std::string::npos);
    EXPECT_NE(w.messages[0].text.find("the test compiler was asked to fail"), std::string::npos)
        << w.messages[0].text;
    EXPECT_EQ(binFiles(), (std::vector<std::string>{"makesis.exe", "test-compiler-mode"}));
}

TEST_F(WholeBuild, DestinationRemovedBeforeTheBuildIsReported) {
    fs::remove_all(f.destination);
    build();
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].text,
              "The package could not be copied to " + f.destination + "Demo.sis.");
    EXPECT_EQ(w.focused(), Control::cmdDo);
    EXPECT_EQ(binFiles(), std::vector<std::string>{"makesis.exe"});
}

TEST_F(WholeBuild, SlowCompilerStillDeliversTheWholePackage) {
    f.compilerMode("slow");
    build();
    EXPECT_NE(package().find("Demo.app\""), std::string::npos) << package();
    EXPECT_TRUE(w.messages.empty());
}

TEST_F(WholeBuild, TwoBuildsInARowEachWriteTheirFilesAnew) {
    build();
    const std::string first = package();
    f.root.write("proj/second.txt", "2");
    w.setText(Control::txtVer, "2");
    build();
    const std::string second = package();
    EXPECT_NE(first, second);
    EXPECT_NE(second.find("(0x01000000), 2, 0, 0"), std::string::npos);
    EXPECT_NE(second.find("second.txt"), std::string::npos);
    EXPECT_EQ(second.find("(0x01000000), 1, 0, 0"), std::string::npos);
    EXPECT_EQ(binFiles(), std::vector<std::string>{"makesis.exe"});
}

TEST_F(WholeBuild, MissingCompilerEndsIdleWithoutAPackage) {
    fs::remove(f.bin("makesis.exe"));
    build();
    EXPECT_EQ(package(), "<missing>");
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_NE(w.messages[0].text.find("The package was not created."), std::string::npos);
}

}  // namespace
