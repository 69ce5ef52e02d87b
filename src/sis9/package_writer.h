#pragma once
// Lays out a whole Symbian 9 package, or a ROM stub, from a finished controller and the
// encoded files, streaming the file data: memory holds the controller and one buffer, however
// large the files. The order of work is the format's: the controller first, then compressed,
// then the contents around it, the checksums last (the data checksum is filled in once the
// data has gone by).

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "src/sis9/controller_model.h"
#include "src/sis9/embedded_package.h"
#include "src/sis9/file_encoder.h"

namespace tovrin::sis9 {

struct DataFile {
    std::filesystem::path source;     // read again when the file is stored as it is
    EncodedFile encoded;              // deflated bytes, if any, are in `scratch`
    std::istream* scratch = nullptr;  // the scratch stream of the worker that encoded it
};

struct PackageData {
    // The top package's unit, by file index; no unit at all when `topUnit` is false (packages
    // of files already on the phone, PA and PP, carry none).
    bool topUnit = true;
    std::vector<DataFile> files;
    // The units of embedded packages, copied in this order behind the top unit.
    struct Embedded {
        std::filesystem::path path;
        std::vector<EmbeddedPackage::Unit> units;
    };
    std::vector<Embedded> embedded;
};

// `out` must be able to seek back (a file or a string stream). False with a message.
bool writePackage(const Controller& controller, const PackageData& data, std::ostream& out,
                  std::string* err);

// A ROM stub: the bare Controller field.
bool writeStub(const Controller& controller, std::ostream& out, std::string* err);

// The Compressed field holding a controller: zlib at level 6, as real packages hold it.
std::vector<uint8_t> compressedController(const std::vector<uint8_t>& controllerField);

}  // namespace tovrin::sis9
