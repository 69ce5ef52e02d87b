#pragma once
// Runs a built program as a real process for the tests and waits for it: its exit status and
// what it wrote to its standard output and error, read back once it has ended.

#include <filesystem>
#include <string>
#include <vector>

namespace tovrin::test {

struct ProgramRun {
    int status = -1;  // exit status; -1 when the program could not start or did not exit normally
    std::string out;
    std::string err;
};

// Starts `program` with exactly `args` (each one argument as the program receives it) in
// `folder` (the test's current folder when empty). `environment` holds NAME=value entries that
// replace or add variables; standard input reads nothing.
ProgramRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                      const std::filesystem::path& folder = {},
                      const std::vector<std::string>& environment = {});

// A program of the build tree's application folder: "sislist", "bin/makesis.exe", ...; on
// Windows ".exe" is added where the name has none.
std::filesystem::path appProgram(const std::string& name);

}  // namespace tovrin::test
