#include "sis/crc.h"

#include <array>

#include "sis/sis_format.h"

namespace tovrin::sis {
namespace {

constexpr std::array<uint16_t, 256> makeTable() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
        table[i] = static_cast<uint16_t>(crc);
    }
    return table;
}

constexpr std::array<uint16_t, 256> kTable = makeTable();

}  // namespace

uint16_t crc16(const void* data, size_t size, uint16_t crc) {
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) {
        crc = static_cast<uint16_t>((crc << 8) ^ kTable[((crc >> 8) ^ p[i]) & 0xFF]);
    }
    return crc;
}

uint32_t uidChecksum(uint32_t uid1, uint32_t uid2, uint32_t uid3) {
    uint8_t bytes[12];
    writeU32(bytes, uid1);
    writeU32(bytes + 4, uid2);
    writeU32(bytes + 8, uid3);
    uint8_t even[6], odd[6];
    for (int i = 0; i < 6; ++i) {
        even[i] = bytes[2 * i];
        odd[i] = bytes[2 * i + 1];
    }
    return (static_cast<uint32_t>(crc16(odd, 6)) << 16) | crc16(even, 6);
}

uint16_t packageChecksum(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    uint16_t crc = crc16(p, header::kChecksum);
    return crc16(p + header::kChecksum + 2, size - header::kChecksum - 2, crc);
}

}  // namespace tovrin::sis
