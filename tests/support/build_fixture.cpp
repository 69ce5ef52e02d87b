#include "tests/support/build_fixture.h"

#include "src/platform/path.h"

namespace fs = std::filesystem;

namespace tovrin::test {

BuildFolders::BuildFolders(const std::string& base) {
    // Joined as text: on Windows a std::filesystem path gives its text back as UTF-8, not in
    // the ANSI code page the wizard's texts are in.
    const std::string top = root.str() + kSeparator + (base.empty() ? "" : base + kSeparator);
    app = top + "wiz app";
    project = top + "proj" + kSeparator;
    destination = top + "out" + kSeparator;
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
