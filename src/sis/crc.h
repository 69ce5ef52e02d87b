#pragma once
// The checksums of the package format. All of them are CRC-16/XMODEM: polynomial 0x1021,
// initial value 0, no reflection, no final XOR (check value 0x31C3 for "123456789").

#include <cstddef>
#include <cstdint>

namespace tovrin::sis {

// Continues a CRC over more bytes: crc16(b, crc16(a)) equals the CRC of a followed by b.
uint16_t crc16(const void* data, size_t size, uint16_t crc = 0);

// The CRC of A followed by B from crc16(A), crc16(B) and B's length alone: file data is
// checksummed in pieces, on several threads, before its place in the package is known.
uint16_t crc16Concat(uint16_t crcA, uint16_t crcB, uint64_t lengthB);

// The same, as an accumulator for data read in pieces.
class Crc16 {
public:
    void update(const void* data, size_t size) { value_ = crc16(data, size, value_); }
    uint16_t value() const { return value_; }

private:
    uint16_t value_ = 0;
};

// UID4: the CRC of the even-offset bytes of UID1..UID3 (as stored, little-endian) in the low
// half, that of the odd-offset bytes in the high half.
uint32_t uidChecksum(uint32_t uid1, uint32_t uid2, uint32_t uid3);

// The header checksum field of an unsigned package held whole in memory: the CRC of every
// byte except the field itself (offsets 0x10-0x11), which is skipped, not zeroed.
// REQUIRES: size >= 0x12.
uint16_t packageChecksum(const void* data, size_t size);

}  // namespace tovrin::sis
