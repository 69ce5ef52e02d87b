#pragma once
// A file's data as packages of either family store it, raw or as a zlib stream, read from its
// range of the package in fixed-size pieces and passed on piece by piece, so that a file of
// any size costs the same memory.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "src/sis/byte_source.h"

namespace tovrin::sis {

// Receives data in pieces; returns false (with *err set) to stop.
using DataSink = std::function<bool(const uint8_t* data, size_t size, std::string* err)>;

// Copies the `length` bytes at `offset` of `source` to `sink` (none: only read).
bool copyStored(ByteSource& source, uint64_t offset, uint64_t length, const DataSink& sink,
                std::string* err);

// Inflates the zlib stream of `storedLength` bytes at `offset` to `sink` (none: only checked).
// It must yield exactly `length` bytes and end where its range does; `lengthName` says in the
// messages what gave that length ("original length"). False with a message (or the sink's).
bool inflateStored(ByteSource& source, uint64_t offset, uint64_t storedLength, uint64_t length,
                   const std::string& lengthName, const DataSink& sink, std::string* err);

}  // namespace tovrin::sis
