#include "tests/support/build_fixture.h"

#include <algorithm>
#include <random>

#include "src/platform/local_text.h"
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

std::vector<std::string> realCompilerFiles() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(TOVRIN_APP_DIR) / "bin")) {
        const std::string name = entry.path().filename().string();
        if (name == "makesis.exe" || entry.path().extension() == ".dll") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void BuildFolders::useRealCompiler() const {
    for (const std::string& name : realCompilerFiles())
        fs::copy_file(fs::path(TOVRIN_APP_DIR) / "bin" / name, bin(name),
                      fs::copy_options::overwrite_existing);
}

void BuildFolders::compilerMode(const std::string& mode) const {
    if (mode.empty())
        fs::remove(bin("test-compiler-mode"));
    else
        root.write("wiz app/bin/test-compiler-mode", mode);
}

std::vector<std::pair<std::string, std::string>> referenceProjectFiles() {
    std::mt19937 gen(1);
    std::string app(150000, '\0');
    for (char& c : app) c = static_cast<char>(gen());
    return {
        {"system/apps/Demo/Demo.app", app},
        {"system/apps/Demo/Demo.rsc", std::string(4000, 'r')},
        {"system/apps/Demo/data/empty.dat", ""},
        {"readme.txt", "read me\r\n"},
        {localFromUtf8("caf\xC3\xA9.txt"), "caf\xC3\xA9\r\n"},
    };
}

}  // namespace tovrin::test
