#pragma once
// The Symbian 9 half of the compiler: a parsed 9.x script and its files to a package (or,
// with -s, a ROM stub). The files are encoded one after another onto a scratch file beside
// the package, then the package is laid out around them (src/sis9/package_writer.h).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "src/pkg/pkg9_model.h"
#include "src/sis9/controller_model.h"

namespace tovrin::makesis {

struct Sis9Options {
    bool stub = false;
    // The creation time, seconds since 1970 UTC.
    long long time = 0;
    // Option bit 0x8000 on the files installed into \sys\ and \resource\, as SDK compilers
    // since about 2013 write it; the older ones did not.
    bool markSystemFiles = true;
};

// The creation time: `given` (from --time) when not negative, else SOURCE_DATE_EPOCH when it
// holds a number, else now.
long long creationTime(long long given);

sis9::DateTime utcDateTime(long long seconds);

// Fills in what the files decide and writes the package to `out` (which must seek).
// `scratchStem` names the scratch file. False with the message and the script line at fault
// (0 when none).
bool buildSis9(Package9& package, const Sis9Options& options, std::ostream& out,
               const std::filesystem::path& scratchStem, std::string* err, int* errorLine,
               const std::function<bool(size_t done, size_t total)>& progress = {});

}  // namespace tovrin::makesis
