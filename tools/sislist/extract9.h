#pragma once
// Extraction of a Symbian 9 package below a folder, by the naming rules of extract.h: every
// file of every controller (the top one and each embedded one, those under conditions too) to
// its destination; a description without a destination (a text shown during installation) as
// "file<index>" in the folder of its controller's files; names already used get ".1", ".2",
// ... Each file's SHA-1 is checked as it is written: a file whose data does not match its
// stored hash is not left behind. Each embedded package is also written whole as
// "embedded-<UID>.sis" (its controller with its data units renumbered from 0, the checksums
// made anew), as it stood before it was embedded: its signatures still verify. Every file is
// written under a temporary name and renamed when complete.

#include <string>
#include <vector>

#include "src/sis/byte_source.h"
#include "src/sis9/sis9_reader.h"

namespace tovrin::sislist {

struct Extracted9 {
    std::string what;  // the field path of the file description, or of the embedded controller
    std::string path;  // relative to the folder, "/"-separated
};

// Stubs hold no data: nothing is written, not even the folder.
bool extractPackage9(sis::ByteSource& source, const sis9::Package& package,
                     const std::string& folder, std::vector<Extracted9>* written,
                     std::vector<std::string>* errors);

// The bytes of embedded controller `c` as a package of its own, given to `sink` in pieces.
bool writeEmbeddedPackage(sis::ByteSource& source, const sis9::Package& package,
                          const sis9::Controller& c, const sis9::DataSink& sink, std::string* err);

}  // namespace tovrin::sislist
