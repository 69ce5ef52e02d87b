#pragma once
// A throw-away application folder for whole builds: the real batch interpreter beside it,
// the test compiler as bin/makesis.exe, a project folder and a destination folder.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

namespace tovrin::test {

struct BuildFolders {
    TempDir root;
    std::string app;          // <root>/<base>/wiz app (with a blank, as real folders may have)
    std::string project;      // <root>/<base>/proj/ with its final separator
    std::string destination;  // <root>/<base>/out/ with its final separator

    // `base` (local 8-bit text, may be empty) is a folder between the root and the three.
    explicit BuildFolders(const std::string& base = "");
    std::string bin(const std::string& name) const;
    // "fail" or "slow" for the test compiler; empty for a normal compile.
    void compilerMode(const std::string& mode) const;
    // Puts the real compiler in place of the test compiler, with the DLLs it loads from its own
    // folder on Windows (the crypto libraries), as the application folder holds them.
    void useRealCompiler() const;
};

// The names of the real compiler's files that useRealCompiler() puts in bin, in name order.
std::vector<std::string> realCompilerFiles();

// The project of the wizard's reference packages (tests/data/wizard/*.sis): each file's path
// below the project folder (local text, "/" between folders) and its bytes.
std::vector<std::pair<std::string, std::string>> referenceProjectFiles();

}  // namespace tovrin::test
