#pragma once
// Encodes every fork of a plan on all cores and appends the stored bytes to the package in
// fork order, byte for byte what encoding one fork after another would give.
//
// Forks are handed out largest first, so that the cores finish together. Each worker writes
// what it encodes to a scratch file of its own beside the package; the calling thread copies
// each fork from there as soon as all forks before it are in place. Memory stays at a few
// buffers per thread whatever the sizes; the scratch files are removed before returning.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "src/compiler/package_metadata.h"
#include "src/compiler/package_plan.h"

namespace tovrin::makesis {

struct PackOutcome {
    std::vector<ForkResult> results;  // per fork of the plan
    uint16_t crc = 0;                 // of all stored bytes, in fork order
    uint64_t length = 0;              // of all stored bytes
    int errorLine = 0;                // script line of the fork that failed, 0 if none
    std::string error;
};

// Called on the calling thread each time the next fork in order is in place: how many forks
// are, and the sum of their sources' sizes. Returning false stops the packing as a failure.
using ForkProgress = std::function<bool(std::size_t forks, uint64_t sourceBytes)>;

// `package` null: nothing is written (stub packages); only lengths and CRCs are worked out.
// `scratchStem`: scratch files are named after it with a suffix per worker.
bool packForks(const Plan& plan, std::ostream* package, const std::filesystem::path& scratchStem,
               unsigned threads, PackOutcome& outcome, const ForkProgress& progress = {});

}  // namespace tovrin::makesis
