#pragma once
// Runs a built program as a real process for the tests: in a given folder, with a given PATH,
// its standard output and error read back once it has ended.

#include <filesystem>
#include <string>
#include <vector>

namespace tovrin::test {

struct ToolRun {
    int status = -1;  // exit status, -1 when it did not exit normally
    std::string out;
    std::string err;
};

ToolRun runTool(const std::string& program, const std::vector<std::string>& args,
                const std::filesystem::path& folder, const std::string& pathVariable);

}  // namespace tovrin::test
