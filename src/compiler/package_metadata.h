#pragma once
// Everything of a package that comes before its file data: header, languages, records,
// requisites, capabilities, component names and the string block. Its size does not depend
// on the data, so the data can be written behind it first and this part filled in last.

#include <cstdint>
#include <string>
#include <vector>

#include "src/compiler/package_plan.h"
#include "src/pkg/pkg_model.h"

namespace tovrin::makesis {

// What encoding a fork gave.
struct ForkResult {
    uint64_t storedLength = 0;    // bytes in the package
    uint64_t originalLength = 0;  // bytes once inflated (converted text for FT)
    uint16_t crc = 0;             // CRC of the stored bytes
};

struct MetadataOptions {
    bool stub = false;  // -s: no code block, drive 'z', installation files = record count
};

// Builds the bytes with the checksum field left 0. `results` holds one entry per fork of the
// plan (all zero to learn the size). False with a message when a pointer or length would not
// fit in 32 bits.
bool buildMetadata(const Package& package, const Plan& plan, const std::vector<ForkResult>& results,
                   const MetadataOptions& options, std::vector<uint8_t>& bytes, std::string* err);

// The maximum installed space: FF and FR sizes, for a component its own maximum installed
// space plus the size of its file, forks of a language block summed, and for each IF block
// only its largest branch. Saturates at 0xFFFFFFFF.
uint32_t maxInstalledSpace(const Package& package, const Plan& plan,
                           const std::vector<ForkResult>& results);

}  // namespace tovrin::makesis
