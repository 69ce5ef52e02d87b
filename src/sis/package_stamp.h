#pragma once
// What tells a delivered package from a partial copy or from an earlier package without
// reading it whole: its size, its header's checksum field and the time it was last written.

#include <cstdint>
#include <string>

namespace tovrin {

struct PackageStamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::string checksum;  // the two bytes of the header's checksum field (fewer in a short file)
    std::int64_t written = 0;

    // The same package: both there, same size and checksum.
    bool samePackage(const PackageStamp& other) const {
        return exists && other.exists && size == other.size && checksum == other.checksum;
    }
    // The same file, not written since.
    bool unchanged(const PackageStamp& other) const {
        return samePackage(other) && written == other.written;
    }
};

// Reads the stamp of the file at `path`; a file that is missing or cannot be read gives one
// that does not exist.
PackageStamp stampOf(const std::string& path);

}  // namespace tovrin
