#pragma once
// Extraction of a package's files below a folder.
//
// Naming: each fork goes to its destination path on the phone, taken below the folder with
// "\" as a separator and the drive as the first folder ("!:\system\apps\x.app" becomes
// "!/system/apps/x.app"). A destination without a file name (an FT record's "" or "c:\") takes
// the base name of the record's source; with neither, the name is "record<i>". A fork of a
// multi-language record gets "." and its language's code appended ("demo.rsc.FR", or
// "demo.rsc.48" for a language without code). Empty, "." and ".." parts are dropped, characters
// that no host allows in a name (<>:"|?* and controls) become "_", trailing dots and blanks are
// removed, so nothing is ever written outside the folder. A name already used (compared without
// case) gets ".1", ".2", ... appended. FN records carry no data and give no file. The data
// written is exactly what the fork holds once inflated: FT text stays UTF-16LE.

#include <string>
#include <vector>

#include "src/sis/sis_reader.h"

namespace tovrin::sislist {

// The relative path ("/"-separated) of fork `fork` of record `record`, before de-duplication.
std::string extractionName(const sis::Package& package, size_t record, size_t fork);

// A destination made a safe relative path by the rules above (the drive as the first folder,
// unsafe parts dropped or changed); empty when nothing remains.
std::string safeRelativePath(const std::string& destination);
std::string lowerAscii(const std::string& text);
// False with a message when a part of `relative` below `root` is a symbolic link.
bool noLinkBelow(const std::string& root, const std::string& relative, std::string* err);

struct Extracted {
    size_t record = 0;
    size_t fork = 0;
    std::string path;  // relative to the folder, "/"-separated
};

// Writes every fork with data below `folder` (created if missing). A fork whose data does not
// verify, or cannot be written, is left out (no partial file stays) and counted in *errors
// with a message; the others are still written. Refuses to write through a symbolic link.
// Returns false when anything failed.
bool extractPackage(sis::ByteSource& source, const sis::Package& package, const std::string& folder,
                    std::vector<Extracted>* written, std::vector<std::string>* errors);

}  // namespace tovrin::sislist
