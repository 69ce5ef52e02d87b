#pragma once
// The header of one field (type and body length, short or long form) read from bytes, and the
// arithmetic of padding. The reader and the signer walk fields with this; the writer makes
// headers with appendFieldHeader.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "src/sis9/sis9_format.h"

namespace tovrin::sis9 {

struct FieldHeader {
    uint32_t type = 0;
    uint64_t bodyLength = 0;
    uint32_t headerSize = 8;  // 12 for the long form
};

// Parses a header from the `available` bytes at `data`. False with a message when fewer bytes
// than a header remain or the body runs past them.
bool parseFieldHeader(const uint8_t* data, uint64_t available, FieldHeader* out, std::string* err);

// A length rounded up to the next multiple of 4.
constexpr uint64_t padded(uint64_t length) { return (length + 3) & ~uint64_t{3}; }

// Appends a header for a body of `bodyLength` bytes (the long form from 2^31 on).
void appendFieldHeader(std::vector<uint8_t>& out, FieldType type, uint64_t bodyLength);

// Appends a whole field: header, body, padding.
void appendField(std::vector<uint8_t>& out, FieldType type, const std::vector<uint8_t>& body);

void appendU8(std::vector<uint8_t>& out, uint8_t value);
void appendU16(std::vector<uint8_t>& out, uint16_t value);
void appendU32(std::vector<uint8_t>& out, uint32_t value);
void appendU64(std::vector<uint8_t>& out, uint64_t value);
void appendPadding(std::vector<uint8_t>& out);

uint16_t loadU16(const uint8_t* p);
uint32_t loadU32(const uint8_t* p);
uint64_t loadU64(const uint8_t* p);

}  // namespace tovrin::sis9
