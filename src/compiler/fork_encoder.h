#pragma once
// Turns one fork's source file into the bytes a package stores: the file read in pieces, an
// FT text converted to UTF-16LE (or, for 8-bit packages, to Windows-1252 without a BOM), then a
// zlib stream unless the package is uncompressed. The stream equals zlib's one-shot compress()
// (level 6) of the same bytes, whatever the pieces.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "src/compiler/package_metadata.h"
#include "src/compiler/package_plan.h"

namespace tovrin::makesis {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // False when the bytes could not be kept; `err` says why.
    virtual bool write(const uint8_t* data, size_t size, std::string* err) = 0;
};

// One per thread: it keeps its buffers and compressor from fork to fork.
class ForkEncoder {
public:
    explicit ForkEncoder(bool compress, bool eightBitText = false);
    ~ForkEncoder();
    ForkEncoder(const ForkEncoder&) = delete;
    ForkEncoder& operator=(const ForkEncoder&) = delete;

    // False with a message naming the file when it cannot be read or the sink fails.
    bool encode(const Fork& fork, ByteSink& sink, ForkResult& result, std::string* err);

private:
    class Output;
    bool feed(const uint8_t* data, size_t size, Output& output, std::string* err);
    bool finish(Output& output, std::string* err);
    // UTF-16LE units to Windows-1252 bytes, in place.
    bool narrow(std::string& text, const Fork& fork, bool atStart, std::string* err);

    bool compress_;
    bool eightBitText_;
    struct Deflater;
    std::unique_ptr<Deflater> deflater_;
    std::vector<uint8_t> input_;
    std::vector<uint8_t> output_;
    std::string converted_;
};

}  // namespace tovrin::makesis
