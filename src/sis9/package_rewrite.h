#pragma once
// A package written again with another controller: the UID header as it was, the controller
// compressed as the package had it (zlib level 6 for a deflated one, as real packages are), both
// checksums and the contents length made anew, and the data field copied in blocks from the
// source, never parsed or expanded.

#include <ostream>
#include <string>
#include <vector>

#include "src/sis/byte_source.h"
#include "src/sis9/package_parts.h"

namespace tovrin::sis9 {

// `out` must be seekable: the data checksum is known only once the data has been copied.
// False with a message when the source cannot be read, compression fails or a write fails.
bool writePackage(sis::ByteSource& source, const PackageParts& parts,
                  const std::vector<uint8_t>& controller, std::ostream& out, std::string* err);

}  // namespace tovrin::sis9
