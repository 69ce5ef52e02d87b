#include "tests/support/build_fixture.h"

#include "src/platform/path.h"

namespace fs = std::filesystem;

namespace tovrin::test {

BuildFolders::BuildFolders() {
    app = (root.path() / "wiz app").string();
    project = (root.path() / "proj").string() + kSeparator;
    destination = (root.path() / "out").string() + kSeparator;
    fs::create_directories(fs::path(app) / "bin");
    fs::create_directories(project);
    fs::create_directories(destination);
#ifndef _WIN32
    // Windows runs the scripts with cmd.exe; elsewhere the interpreter lies beside the wizard.
    fs::copy_file(fs::path(TOVRIN_APP_DIR) / "tovrin-cmd", fs::path(app) / "tovrin-cmd");
#endif
    fs::copy_file(TOVRIN_TEST_COMPILER, bin("makesis.exe"));
}

std::string BuildFolders::bin(const std::string& name) const { return binFile(app, name); }

void BuildFolders::compilerMode(const std::string& mode) const {
    if (mode.empty())
        fs::remove(bin("test-compiler-mode"));
    else
        root.write("wiz app/bin/test-compiler-mode", mode);
}

}  // namespace tovrin::test
