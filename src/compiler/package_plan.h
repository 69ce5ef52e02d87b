#pragma once
// How a parsed script is stored: records, languages and every other list in the reverse of
// the script's order; the source name each record shows; the target each record installs to;
// and the pieces of file data (forks) in the order they follow one another in the package.
//
// Source names are those of the temporary copies packages have always shown: the temporary
// folder ("X:\MKS0\" unless told otherwise) and the source's base name, made unique with a decimal suffix ("map.dat", "map.dat0", ...).
// Names are handed out first to the converted copy of every FT text that needs converting, in
// stored order, then to the compressed copy of every fork with data, in stored order (forks
// in fork order).
// Without compression a record shows the path as written, or the converted copy's name.
// An ER5 package shows the path as written in every record, and converts every FT text to
// 8-bit.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "src/pkg/pkg_model.h"

namespace tovrin::makesis {

// What the plan needs to know of a source file before its data is read.
struct SourceFacts {
    bool utf16LeBom = false;  // starts with FF FE: an FT text needs no converting
    uint64_t size = 0;
    uint32_t embeddedMaxSpace = 0;  // a component package's own maximum installed space
    bool er6Package = false;        // the file is an ER6 package
};
using SourceProbe = std::function<SourceFacts(const std::filesystem::path&)>;

// Reads the facts from the file itself; an unreadable file gives zero facts (reading its data
// later reports the error).
SourceFacts probeSourceFile(const std::filesystem::path& path);

struct Fork {
    std::filesystem::path path;
    bool convertText = false;  // FT text to be converted (UTF-16LE, or Windows-1252 for ER5)
    int line = 0;              // script line of its record, for read errors
    uint64_t sizeHint = 0;
};

struct StoredRecord {
    const Record* record = nullptr;
    std::u16string sourceName;
    std::u16string destination;
    std::vector<size_t> forks;      // indices into Plan::forks; empty for FN and non-file records
    uint64_t embeddedMaxSpace = 0;  // components: summed over the forks
    bool embedsEr6 = false;         // components: a fork is an ER6 package
};

struct Plan {
    std::vector<uint16_t> languages;    // stored order
    std::vector<StoredRecord> records;  // stored order
    std::vector<Fork> forks;            // stored order, forks of a record in fork order
    bool compress = true;
    bool er6 = true;  // false: ER5, whose strings and texts are 8-bit and data uncompressed
};

constexpr const char16_t* kDefaultTempFolder = u"X:\\MKS0\\";

Plan makePlan(const Package& package, const SourceProbe& probe, bool er6 = true,
              const std::u16string& tempFolder = kDefaultTempFolder);

// The target a file record stores: "c:\" is put in front of a target that does not begin with
// a drive ("!" included), ":" and "\".
std::u16string storedDestination(const std::u16string& written);

}  // namespace tovrin::makesis
