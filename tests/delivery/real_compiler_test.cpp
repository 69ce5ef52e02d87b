// A whole wizard build with the project's own compiler in bin: the lister must verify the
// delivered package, and the files it extracts must equal the project folder's.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "tests/support/build_fixture.h"
#include "tests/delivery/build_runner.h"
#include "tests/support/fake_window.h"
#include "tests/support/run_program.h"
#include "src/platform/process.h"

namespace fs = std::filesystem;
using namespace tovrin;
using test::readFile;

namespace {

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 gen(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(gen());
    return bytes;
}

TEST(RealCompiler, WizardBuildDeliversAPackageTheListerVerifies) {
    test::BuildFolders f;
    fs::copy_file(fs::path(TOVRIN_APP_DIR) / "bin" / "makesis.exe", f.bin("makesis.exe"),
                  fs::copy_options::overwrite_existing);
    const std::vector<std::pair<std::string, std::string>> files = {
        {"system/apps/Demo/Demo.app", randomBytes(150000, 1)},
        {"system/apps/Demo/Demo.rsc", std::string(4000, 'r')},
        {"system/apps/Demo/data/empty.dat", ""},
        {"readme.txt", "read me\r\n"},
    };
    for (const auto& [path, bytes] : files) f.root.write("proj/" + path, bytes);

    test::FakeWindow w;
    w.setText(Control::txtProjPath, f.project);
    w.setText(Control::txtDest, f.destination);
    w.setText(Control::txtName, "Demo");
    w.selectLanguage("FR - French");
    auto starter = makeScriptStarter(f.app);
    Wizard wizard{w, f.app, *starter, nullptr, nullptr, {}};
    test::runBuild(wizard);

    ASSERT_TRUE(w.messages.empty()) << w.messages[0].text;
    ASSERT_TRUE(w.enabled(Control::Form1));
    const std::string package = f.destination + "Demo.sis";
    ASSERT_TRUE(fs::exists(package));

    const fs::path out = f.root.path() / "extracted";
    const test::ProgramRun lister = test::runProgram(test::appProgram("sislist"), {"-x", out.string(), package});
    ASSERT_EQ(lister.status, 0) << lister.out << lister.err;
    for (const auto& [path, bytes] : files)
        EXPECT_EQ(readFile(out / "!" / path), bytes) << path;
}

}  // namespace
