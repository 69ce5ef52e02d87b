#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "src/sis/sis_format.h"
#include "tests/support/temp_dir.h"

namespace tovrin::sis {
namespace {

TEST(LittleEndian, ReadWriteAppend) {
    uint8_t b[4];
    writeU32(b, 0x10003A12);
    EXPECT_EQ(std::vector<uint8_t>(b, b + 4), (std::vector<uint8_t>{0x12, 0x3A, 0x00, 0x10}));
    EXPECT_EQ(readU32(b), 0x10003A12u);
    writeU16(b, 0xBCB8);
    EXPECT_EQ(b[0], 0xB8);
    EXPECT_EQ(readU16(b), 0xBCB8);
    std::string s;
    appendU16(s, 0x0021);
    appendU32(s, 0xC8);
    EXPECT_EQ(s, std::string("\x21\x00\xC8\x00\x00\x00", 6));
    std::vector<uint8_t> v;
    appendU32(v, 0x73854F24);
    EXPECT_EQ(v, (std::vector<uint8_t>{0x24, 0x4F, 0x85, 0x73}));
}

TEST(Layout, RecordSizes) {
    EXPECT_EQ(headerSize(true), 100u);
    EXPECT_EQ(headerSize(false), 68u);
    EXPECT_EQ(file_record::size(1, true), 48u);
    EXPECT_EQ(file_record::size(1, false), 36u);
    EXPECT_EQ(file_record::size(3, true), 0x1Cu + 36 + 8);
    EXPECT_EQ(file_record::originalLengths(3), 0x1Cu + 24);
    EXPECT_EQ(file_record::mimePtr(1), 0x2Cu);
    EXPECT_EQ(requisite::size(2), 28u);
    EXPECT_EQ(options_record::size(2, 1), 8u + 16 + 16);
}

// The header of the reference package decodes to the documented values and encodes back to
// the same 100 bytes.
TEST(Header, DecodeEncodeRoundTrip) {
    const std::string sis =
        test::readFile(std::string(TOVRIN_TEST_DATA_DIR) + "/reference/test2/expected.sis");
    ASSERT_GE(sis.size(), header::kSizeEr6);
    const auto* bytes = reinterpret_cast<const uint8_t*>(sis.data());
    const Header h = decodeHeader(bytes, true);
    EXPECT_EQ(h.uid1, 1u);
    EXPECT_EQ(h.uid2, kUid2Er6);
    EXPECT_EQ(h.languageCount, 1);
    EXPECT_EQ(h.fileCount, 2);
    EXPECT_EQ(h.installDrive, kDriveChosenByUser);
    EXPECT_EQ(h.installerVersion, kInstallerVersionEr6);
    EXPECT_EQ(h.major, 2);
    EXPECT_EQ(h.minor, 3);
    EXPECT_EQ(h.variant, 4u);
    EXPECT_EQ(h.languagesPtr, 0x64u);
    EXPECT_EQ(h.filesPtr, 0x66u);
    EXPECT_EQ(h.requisitesPtr, 0xC6u);
    EXPECT_EQ(h.capabilitiesPtr, 0xC6u);
    EXPECT_EQ(h.componentNamePtr, 0xC6u);

    std::string again(header::kSizeEr6, '\x55');
    encodeHeader(h, true, reinterpret_cast<uint8_t*>(&again[0]));
    EXPECT_EQ(again, sis.substr(0, header::kSizeEr6));
}

TEST(Header, Er5EncodingStopsAt68Bytes) {
    Header h;
    h.uid2 = kUid2Er5;
    h.componentNamePtr = 0x1234;
    h.maxInstalledSpace = 99;  // no such field in ER5
    std::string bytes(80, '\x55');
    encodeHeader(h, false, reinterpret_cast<uint8_t*>(&bytes[0]));
    EXPECT_EQ(bytes.substr(68), std::string(12, '\x55'));
    const Header back = decodeHeader(reinterpret_cast<const uint8_t*>(bytes.data()), false);
    EXPECT_EQ(back.componentNamePtr, 0x1234u);
    EXPECT_EQ(back.maxInstalledSpace, 0u);
}

struct CodeCase {
    const char* code;
    int number;  // -1: unknown
};

class LanguageCodes : public ::testing::TestWithParam<CodeCase> {};

TEST_P(LanguageCodes, ByCode) {
    const LanguageCode* l = languageByCode(GetParam().code);
    if (GetParam().number < 0) {
        EXPECT_EQ(l, nullptr);
    } else {
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->number, GetParam().number);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, LanguageCodes,
    ::testing::Values(CodeCase{"EN", 1}, CodeCase{"en", 1}, CodeCase{"Fr", 2}, CodeCase{"IC", 15},
                      CodeCase{"SF", 11}, CodeCase{"BF", 21}, CodeCase{"BG", 42}, CodeCase{"SW", 6},
                      CodeCase{"SH", 84}, CodeCase{"ZH", 31}, CodeCase{"BP", 76},
                      CodeCase{"ZU", 98}, CodeCase{"IF", 24}, CodeCase{"XY", -1},
                      CodeCase{"PR", -1}, CodeCase{"CL", -1}, CodeCase{"F", -1},
                      CodeCase{"ENG", -1}, CodeCase{"", -1}));

TEST(LanguageTable, NumbersInOrderCodesUnique) {
    std::set<std::string> codes;
    uint16_t expected = 0;
    for (const LanguageCode& l : kLanguageCodes) {
        EXPECT_EQ(l.number, expected++);
        if (l.code) {
            EXPECT_TRUE(codes.insert(l.code).second) << l.code;
        }
    }
    EXPECT_EQ(expected, 100);
    EXPECT_EQ(codes.size(), 96u);  // the 94 of the reference compiler's usage text, CG and SA
    EXPECT_EQ(languageByNumber(99)->code, nullptr);
    EXPECT_EQ(languageByNumber(100), nullptr);
    EXPECT_STREQ(languageByNumber(3)->name, "German");
}

}  // namespace
}  // namespace tovrin::sis
