#pragma once
// A compressed package's records show the compiler's temporary copy of each file as their
// source name: the temporary folder of the machine that built it ("X:\MKS0\",
// "C:\Users\<someone>\AppData\Local\Temp\MKS0\") and a base name with no separator.

#include <string>
#include <vector>

#include "src/sis/sis_reader.h"

namespace tovrin::sislist {

// The part of a stored source name up to and including its last "\" or "/" (empty when it has
// none), and the rest.
std::string folderPart(const std::string& source);
std::string basePart(const std::string& source);

// The distinct folder parts of the file records with data, in stored order; empty for an
// uncompressed package, whose records show the paths as written.
std::vector<std::string> tempFolders(const sis::Package& package);

}  // namespace tovrin::sislist
