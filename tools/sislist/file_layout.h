#pragma once
// Where a decompiled package's files go below the output folder, and the source name the
// script gives each, so that the compiler stores the same source names again.
//
// A compressed package shows "<temporary folder><name>" for each record: the name is the
// compiler's temporary copy of the source, its base name made unique with a decimal suffix
// (converted FT texts first, then every fork in stored order). Each file is written under its
// shown name (an FT text that the compiler converts under the name its copy had before the
// suffix), in a folder after its target, and the rebuild gives the folder with --temp-folder.
// An uncompressed package shows the source path as written: the file goes exactly there below
// the output folder, "root/" in front of a path from a drive's root (--root root) and
// "drive-X/" in front of one with drive letter X (--drive X=drive-X). Forks a record does not
// show (the other languages of a block) get free names. A path that would leave the folder,
// or that another fork with other data already took (compared without case), goes below
// "files/<n>/" instead, and the layout says the source name then differs.

#include <cstdint>
#include <string>
#include <vector>

#include "src/sis/sis_reader.h"

namespace tovrin::sislist {

// What the layout needs of a fork's data.
struct ForkFacts {
    uint64_t length = 0;    // once inflated
    uint32_t crc = 0;       // CRC-32 of the inflated data
    bool utf16Bom = false;  // begins FF FE
    // Text that UTF-8 can carry: UTF-16LE of even length without a lone surrogate (ER6), or
    // Windows-1252 with no undefined byte (ER5).
    bool utf8Text = false;
};

struct ForkFile {
    std::string path;     // below the output folder, "/"-separated
    bool asUtf8 = false;  // an FT text written as UTF-8, which the compiler converts back
};

struct Layout {
    // Per stored record, per fork (none for FN records and records without files).
    std::vector<std::vector<ForkFile>> files;
    // Per stored record, per fork: the source name the script gives (UTF-8).
    std::vector<std::vector<std::string>> sources;
    bool otherTempFolder = false;  // --temp-folder tempFolder is needed
    std::string tempFolder;
    bool root = false;                     // sources below "root" (--root root)
    std::vector<char> drives;              // sources below "drive-<X>" (--drive X=drive-X)
    std::vector<std::string> differences;  // why the source names will differ
};

// `facts` per stored record and fork; `reserved` are paths already taken (the script).
Layout planLayout(const sis::Package& package, const std::vector<std::vector<ForkFacts>>& facts,
                  const std::vector<std::string>& reserved);

}  // namespace tovrin::sislist
