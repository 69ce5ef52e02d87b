#pragma once
// The openssl command, where the host has one, to show that what we write is what it reads.
// Windows test runs (under wine) have none: those tests skip.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/run_program.h"

namespace tovrin::test {

inline std::filesystem::path opensslProgram() {
#ifdef _WIN32
    return {};
#else
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "";
    for (size_t start = 0; start <= dirs.size();) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::filesystem::path candidate = std::filesystem::path(dirs.substr(start, end - start)) / "openssl";
        std::error_code ec;
        if (end > start && std::filesystem::is_regular_file(candidate, ec)) return candidate;
        start = end + 1;
    }
    return {};
#endif
}

// Runs openssl with `args`; the test is skipped by the caller when it is not found.
inline ProgramRun openssl(const std::vector<std::string>& args) { return runProgram(opensslProgram(), args); }

}  // namespace tovrin::test

#define TOVRIN_REQUIRE_OPENSSL()                                                         \
    do {                                                                                 \
        if (::tovrin::test::opensslProgram().empty())                                    \
            GTEST_SKIP() << "no openssl command on this host to check interoperation"; \
    } while (0)
