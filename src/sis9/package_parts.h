#pragma once
// Where the parts of a full Symbian 9 package lie, and its controller expanded: what a signer
// needs. Only the UID header, the checksum fields and the controller are read; the data field is
// located by its header alone, so that a package of any size costs the size of its controller.

#include <cstdint>
#include <string>
#include <vector>

#include "src/sis/byte_source.h"

namespace tovrin::sis9 {

// The largest controller a signer expands or reads compressed. Real controllers are a few
// kilobytes (an embedded package adds its own controller); this bound stops a forged size from
// costing memory.
constexpr uint64_t kMaxControllerSize = 64u << 20;

struct PackageParts {
    uint8_t uidHeader[16] = {};
    bool hasControllerChecksum = false;
    bool hasDataChecksum = false;
    uint32_t compression = 0;  // as the package stored its controller (Compression)
    std::vector<uint8_t> controller;  // the Controller field, header included, expanded
    uint64_t dataOffset = 0;  // the Data field: its header, body and padding, to the end of Contents
    uint64_t dataSize = 0;
};

// Reads a full package (UID header, then Contents). False with a message naming the field at
// fault; a controller-only stub is refused as such.
bool readPackageParts(sis::ByteSource& source, PackageParts* out, std::string* err);

// A Controller field expanded from the body of a Compressed field. False with a message when
// the algorithm is unknown, the declared size is past kMaxControllerSize or the stream does not
// expand to it.
bool expandController(const uint8_t* body, uint64_t size, std::vector<uint8_t>* out,
                      uint32_t* algorithm, std::string* err);

}  // namespace tovrin::sis9
