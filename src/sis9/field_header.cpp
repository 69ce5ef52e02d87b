#include "src/sis9/field_header.h"

#include <cstdio>

namespace tovrin::sis9 {

uint16_t loadU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

uint32_t loadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint64_t loadU64(const uint8_t* p) { return uint64_t(loadU32(p)) | uint64_t(loadU32(p + 4)) << 32; }

bool parseFieldHeader(const uint8_t* data, uint64_t available, FieldHeader* out, std::string* err) {
    if (available < 8) {
        *err = "field header cut short";
        return false;
    }
    out->type = loadU32(data);
    uint32_t word = loadU32(data + 4);
    out->headerSize = 8;
    out->bodyLength = word;
    if (word & kLongLengthBit) {
        if (available < 12) {
            *err = "field header cut short";
            return false;
        }
        out->headerSize = 12;
        out->bodyLength = uint64_t(word & ~kLongLengthBit) | uint64_t(loadU32(data + 8)) << 31;
    }
    if (out->bodyLength > available - out->headerSize) {
        char text[96];
        std::snprintf(text, sizeof text, "length 0x%llX runs past its parent",
                      static_cast<unsigned long long>(out->bodyLength));
        *err = text;
        return false;
    }
    return true;
}

void appendU8(std::vector<uint8_t>& out, uint8_t value) { out.push_back(value); }

void appendU16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void appendU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(value >> shift));
}

void appendU64(std::vector<uint8_t>& out, uint64_t value) {
    appendU32(out, uint32_t(value));
    appendU32(out, uint32_t(value >> 32));
}

void appendPadding(std::vector<uint8_t>& out) {
    while (out.size() % 4 != 0) out.push_back(0);
}

void appendFieldHeader(std::vector<uint8_t>& out, FieldType type, uint64_t bodyLength) {
    appendU32(out, static_cast<uint32_t>(type));
    if (bodyLength < kLongLengthBit) {
        appendU32(out, uint32_t(bodyLength));
    } else {
        appendU32(out, uint32_t(bodyLength & 0x7FFFFFFF) | kLongLengthBit);
        appendU32(out, uint32_t(bodyLength >> 31));
    }
}

void appendField(std::vector<uint8_t>& out, FieldType type, const std::vector<uint8_t>& body) {
    appendFieldHeader(out, type, body.size());
    out.insert(out.end(), body.begin(), body.end());
    appendPadding(out);
}

}  // namespace tovrin::sis9
