#pragma once
// Random access to the bytes of a package, so that the reader never needs the whole file in
// memory: a file on disk, or a buffer (tests, the fuzzer).

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

namespace tovrin::sis {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t size() const = 0;
    // Reads exactly `count` bytes at `offset`. False when the range lies outside the source or
    // the read fails; `out` is then unspecified.
    virtual bool read(uint64_t offset, void* out, size_t count) = 0;
};

class MemorySource : public ByteSource {
public:
    MemorySource(const void* data, size_t size)
        : data_(static_cast<const uint8_t*>(data)), size_(size) {}
    uint64_t size() const override { return size_; }
    bool read(uint64_t offset, void* out, size_t count) override;

private:
    const uint8_t* data_;
    size_t size_;
};

class FileSource : public ByteSource {
public:
    // False with a message (without the file name) when the file cannot be opened.
    bool open(const std::string& path, std::string* err);
    uint64_t size() const override { return size_; }
    bool read(uint64_t offset, void* out, size_t count) override;

private:
    std::ifstream in_;
    uint64_t size_ = 0;
};

}  // namespace tovrin::sis
