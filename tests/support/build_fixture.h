#pragma once
// A throw-away application folder for whole builds: the real batch interpreter beside it,
// the test compiler as bin/makesis.exe, a project folder and a destination folder.

#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace tovrin::test {

struct BuildFolders {
    TempDir root;
    std::string app;          // <root>/wiz app (with a blank, as real folders may have)
    std::string project;      // <root>/proj/ with its final separator
    std::string destination;  // <root>/out/ with its final separator

    BuildFolders();
    std::string bin(const std::string& name) const;
    // "fail" or "slow" for the test compiler; empty for a normal compile.
    void compilerMode(const std::string& mode) const;
};

}  // namespace tovrin::test
