#pragma once
// Proof of a decompiled script: the compiler library builds it in memory and the package it
// gives is compared with the original, byte for byte, and where the bytes differ, by contents:
// the header's values, languages, names, requisites, capabilities, every record with its
// strings, options and condition, and every fork's data once inflated.

#include <filesystem>
#include <string>
#include <vector>

#include "src/sis/byte_source.h"
#include "src/sis/sis_reader.h"

namespace tovrin::sislist {

struct RebuildCheck {
    bool built = false;          // the compiler made a package
    std::string compilerOutput;  // its messages
    bool identical = false;
    // When not identical: what differs in the contents (empty when they are the same), and
    // why the bytes differ nonetheless.
    std::vector<std::string> contentDifferences;
    std::vector<std::string> byteReasons;
    uint64_t firstDifference = 0;  // offset of the first byte that differs
};

// `args` as makesis takes them, naming the script and its sources from `folder`.
// `sourceNamesMayDiffer`: the source names records show are left out of the comparison.
RebuildCheck checkRebuild(sis::ByteSource& original, const sis::Package& package,
                          const std::vector<std::string>& args, const std::filesystem::path& folder,
                          bool sourceNamesMayDiffer);

// How the comparison names a difference in a part of stored record `index`, and in the
// header's installer version.
std::string recordDifference(size_t index, const std::string& part);
extern const char* const kInstallerVersionDifference;

// CRC-32 and length of a fork's data as stored, or once inflated.
struct Digest {
    uint64_t length = 0;
    uint32_t crc = 0;
    bool ok = false;
    bool operator==(const Digest& o) const {
        return length == o.length && crc == o.crc && ok && o.ok;
    }
};
Digest storedDigest(sis::ByteSource& source, const sis::Fork& fork);
Digest dataDigest(sis::ByteSource& source, const sis::Package& package, const sis::Fork& fork);

}  // namespace tovrin::sislist
