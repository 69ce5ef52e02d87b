#pragma once
// The package compiler as a library: a pkg script in, a pre-9 (ER6 or ER5) .sis package out.
// Every message goes to `out`, the way the compiler has always reported: "Processing x.pkg...",
// then either "Created x.sis" or "x.pkg(<line>) : error: <text>" lines. Warnings
// ("warning: x.pkg(<line>): <text>") go to `warnings`, or to `out` when it is null.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace tovrin::makesis {

// How far the data of a package is, told on the calling thread after each file's data is in
// place, in the order of the script. The report returns false to stop the build: run then
// fails with "error: interrupted" and leaves nothing behind.
struct Progress {
    std::size_t files = 0;
    std::size_t totalFiles = 0;
    uint64_t bytes = 0;  // of the source files done
    uint64_t totalBytes = 0;
};
using ProgressReport = std::function<bool(const Progress&)>;

// `args` without the program name. Returns the exit status: 0 when the package was written,
// 1 on any error (no package is left behind then).
int run(const std::vector<std::string>& args, std::ostream& out,
        const ProgressReport& progress = {}, std::ostream* warnings = nullptr);

// Builds as run() would with `args`, with the script and its sources named from `folder` as
// if it were the current folder, and gives the package's bytes in *package instead of writing
// its file. Returns the exit status; the messages go to `out`.
int buildInMemory(const std::vector<std::string>& args, const std::filesystem::path& folder,
                  std::vector<uint8_t>* package, std::ostream& out);

}  // namespace tovrin::makesis
