#pragma once
// Runs the built compiler (bin/makesis.exe of the build tree) as a process in a folder.

#include <filesystem>
#include <string>

namespace tovrin::test {

struct ProcessResult {
    int status = -1;  // exit status; -1 when the process did not exit normally
    std::string out;
    std::string err;
};

std::filesystem::path compilerPath();

// Runs "makesis <args>" with `folder` as the current folder. `args` is passed to the shell
// as it stands, so quote what needs quoting.
ProcessResult runCompiler(const std::filesystem::path& folder, const std::string& args);

}  // namespace tovrin::test
