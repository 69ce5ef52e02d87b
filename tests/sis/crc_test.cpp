#include <gtest/gtest.h>

#include <random>
#include <string>

#include "src/sis/crc.h"
#include "src/sis/sis_format.h"
#include "tests/support/temp_dir.h"

namespace tovrin::sis {
namespace {

struct CrcCase {
    std::string input;
    uint16_t crc;
};

class CrcKnownAnswer : public ::testing::TestWithParam<CrcCase> {};

TEST_P(CrcKnownAnswer, WholeInput) {
    EXPECT_EQ(crc16(GetParam().input.data(), GetParam().input.size()), GetParam().crc);
}

// Every split point must give the same CRC as the whole, through both interfaces.
TEST_P(CrcKnownAnswer, PiecewiseEqualsWhole) {
    const std::string& s = GetParam().input;
    for (size_t cut = 0; cut <= s.size(); ++cut) {
        EXPECT_EQ(crc16(s.data() + cut, s.size() - cut, crc16(s.data(), cut)), GetParam().crc)
            << "cut at " << cut;
        Crc16 acc;
        acc.update(s.data(), cut);
        acc.update(s.data() + cut, s.size() - cut);
        EXPECT_EQ(acc.value(), GetParam().crc) << "cut at " << cut;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Xmodem, CrcKnownAnswer,
    ::testing::Values(CrcCase{"", 0x0000}, CrcCase{"A", 0x58E5}, CrcCase{"123456789", 0x31C3},
                      CrcCase{std::string("\x00\x00\x12\x00\x19\x00", 6), 0x4F24},
                      CrcCase{std::string("\x00\x01\x3A\x10\x04\x10", 6), 0x7385}));

TEST(Crc, TableStartsLikeTheSymbianTable) {
    // crc16 of a single byte b from 0 is table[b]: 0x0000, 0x1021, 0x2042, 0x3063
    const uint16_t expected[] = {0x0000, 0x1021, 0x2042, 0x3063};
    for (uint8_t b = 0; b < 4; ++b) EXPECT_EQ(crc16(&b, 1), expected[b]);
}

struct UidCase {
    uint32_t uid1, uid2, uid3, uid4;
};

class UidChecksum : public ::testing::TestWithParam<UidCase> {};

TEST_P(UidChecksum, KnownAnswer) {
    const UidCase& c = GetParam();
    EXPECT_EQ(uidChecksum(c.uid1, c.uid2, c.uid3), c.uid4);
}

INSTANTIATE_TEST_SUITE_P(Documented, UidChecksum,
                         ::testing::Values(UidCase{0x01000000, kUid2Er6, kUid3Install, 0x73854F24},
                                           UidCase{0x10000000, kUid2Er6, kUid3Install, 0xDD8E4F24},
                                           UidCase{0x10005B91, kUid2Er6, kUid3Install, 0x6EB8C420},
                                           UidCase{0x101F6F88, kUid2Er6, kUid3Install, 0x4795F7E5},
                                           UidCase{0x01000000, kUid2Er5, kUid3Install,
                                                   0x37C7D9BF}));

// The reference package carries 0x6528; the field itself must be skipped, not zeroed.
TEST(PackageChecksum, ReferencePackage) {
    const std::string sis =
        test::readFile(std::string(TOVRIN_TEST_DATA_DIR) + "/reference/test/expected.sis");
    ASSERT_EQ(sis.size(), 274u);
    EXPECT_EQ(packageChecksum(sis.data(), sis.size()), 0x6528);
    std::string other = sis;
    other[header::kChecksum] = '\x12';
    other[header::kChecksum + 1] = '\x34';
    EXPECT_EQ(packageChecksum(other.data(), other.size()), 0x6528);
}

TEST(CrcConcat, EqualsTheCrcOfTheJoinedBytes) {
    std::mt19937 random(7);
    std::string data(5000, '\0');
    for (char& c : data) c = static_cast<char>(random());
    const uint16_t whole = crc16(data.data(), data.size());
    for (size_t split : {size_t{0}, size_t{1}, size_t{2}, size_t{777}, size_t{4096}, data.size()}) {
        const uint16_t a = crc16(data.data(), split);
        const uint16_t b = crc16(data.data() + split, data.size() - split);
        EXPECT_EQ(crc16Concat(a, b, data.size() - split), whole) << split;
    }
}

TEST(Crc, EightBytesAStepEqualsOneByteAtATimeForEveryLengthAndStart) {
    std::mt19937 random(9);
    std::string data(300, '\0');
    for (char& c : data) c = static_cast<char>(random());
    for (size_t length = 0; length <= data.size(); ++length) {
        const uint16_t start = static_cast<uint16_t>(random());
        uint16_t bytewise = start;
        for (size_t i = 0; i < length; ++i) bytewise = crc16(&data[i], 1, bytewise);
        ASSERT_EQ(crc16(data.data(), length, start), bytewise) << length;
    }
}

}  // namespace
}  // namespace tovrin::sis
