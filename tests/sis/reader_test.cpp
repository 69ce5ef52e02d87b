#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "src/sis/crc.h"
#include "src/sis/sis_reader.h"
#include "tests/sis/fixture_packages.h"
#include "tests/sis/package_builder.h"
#include "tests/support/temp_dir.h"

namespace tovrin::sis {
namespace {

using test::Node;
using test::PackageBuilder;

using test::fixture;

struct Parsed {
    bool ok = false;
    std::string error;
    Package package;
};

Parsed parse(const std::string& bytes) {
    Parsed p;
    MemorySource source(bytes.data(), bytes.size());
    p.ok = readPackage(source, &p.package, &p.error);
    return p;
}

std::vector<Check> verify(const std::string& bytes, const Package& package) {
    MemorySource source(bytes.data(), bytes.size());
    return verifyPackage(source, package);
}

bool allOk(const std::vector<Check>& checks) {
    for (const Check& c : checks) {
        if (!c.ok) return false;
    }
    return true;
}

// Rewrites the checksum so that a deliberate change reaches the structural checks.
void fixChecksum(std::string& bytes) {
    writeU16(reinterpret_cast<uint8_t*>(&bytes[header::kChecksum]),
             packageChecksum(bytes.data(), bytes.size()));
}

std::vector<RecordType> types(const Package& p) {
    std::vector<RecordType> t;
    for (const Record& r : p.records) t.push_back(r.type);
    return t;
}

// ---- The fixture packages ------------------------------------------------------------------

class FixturePackage : public ::testing::TestWithParam<std::string> {};

TEST_P(FixturePackage, ParsesAndVerifies) {
    const std::string bytes = fixture(GetParam() + "/expected.sis");
    ASSERT_NE(bytes, "<missing>");
    const Parsed p = parse(bytes);
    ASSERT_TRUE(p.ok) << p.error;
    const std::vector<Check> checks = verify(bytes, p.package);
    for (const Check& c : checks) EXPECT_TRUE(c.ok) << c.what << ": " << c.detail;
    size_t forks = 0;
    for (const Record& r : p.package.records) forks += r.forks.size();
    EXPECT_EQ(checks.size(), 2 + forks);  // UID4, checksum, one per fork
    EXPECT_EQ(p.package.records.size(), p.package.header.fileCount);
}

INSTANTIATE_TEST_SUITE_P(All, FixturePackage, test::fixturePackageCases(), test::fixtureCaseName);

TEST(ReadFixture, WizardScriptPackage) {
    const Parsed p = parse(fixture("makesis/s60-wizard/expected.sis"));
    ASSERT_TRUE(p.ok) << p.error;
    const Package& k = p.package;
    EXPECT_TRUE(k.er6);
    EXPECT_TRUE(k.compressed());
    EXPECT_EQ(k.header.uid1, 0x01000000u);
    EXPECT_EQ(k.header.uid4, 0x73854F24u);
    EXPECT_EQ(k.header.major, 1);
    EXPECT_EQ(k.header.minor, 2);
    EXPECT_EQ(k.header.variant, 3u);
    EXPECT_EQ(k.languages, std::vector<uint16_t>{2});
    EXPECT_EQ(k.componentNames, std::vector<std::string>{"Demo"});
    ASSERT_EQ(k.requisites.size(), 1u);
    EXPECT_EQ(k.requisites[0].uid, kSeries60ProductUid);
    EXPECT_EQ(k.requisites[0].names, std::vector<std::string>{"Series60ProductID"});
    ASSERT_EQ(k.records.size(), 5u);
    // Stored in reverse: the about text, first in the script, is the last record.
    const Record& about = k.records[4];
    EXPECT_EQ(about.fileType, static_cast<uint32_t>(FileType::Text));
    EXPECT_EQ(about.destination, "c:\\");
    EXPECT_EQ(about.source, "X:\\MKS0\\about.txt0");
    EXPECT_EQ(k.records[3].destination, "!:\\system\\apps\\Demo\\Demo.app");
}

TEST(ReadFixture, LanguageBlockHasOneForkPerLanguageInStoredOrder) {
    const Parsed p = parse(fixture("makesis/language-block/expected.sis"));
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.package.languages, (std::vector<uint16_t>{3, 2, 1}));
    EXPECT_EQ(p.package.componentNames,
              (std::vector<std::string>{"Lang GE", "Lang FR", "Lang EN"}));
    ASSERT_EQ(p.package.records.size(), 2u);
    const Record& block = p.package.records[1];
    EXPECT_EQ(block.type, RecordType::MultiLanguageFile);
    ASSERT_EQ(block.forks.size(), 3u);
    EXPECT_EQ(p.package.records[0].forks.size(), 1u);
}

TEST(ReadFixture, TwoLanguagesReverseNames) {
    const Parsed p = parse(fixture("makesis/two-languages/expected.sis"));
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.package.languages, (std::vector<uint16_t>{2, 1}));
    EXPECT_EQ(p.package.componentNames, (std::vector<std::string>{"Demo FR", "Demo EN"}));
    ASSERT_EQ(p.package.requisites.size(), 1u);
    EXPECT_EQ(p.package.requisites[0].names,
              (std::vector<std::string>{"Series60ProductID FR", "Series60ProductID"}));
}

TEST(ReadFixture, ConditionBlock) {
    const Parsed p = parse(fixture("makesis/if-block/expected.sis"));
    ASSERT_TRUE(p.ok) << p.error;
    using R = RecordType;
    EXPECT_EQ(types(p.package),
              (std::vector<R>{R::EndIf, R::SimpleFile, R::Else, R::SimpleFile, R::SimpleFile,
                              R::ElseIf, R::SimpleFile, R::If, R::SimpleFile}));
    const Expression& cond = p.package.records[7].condition;
    EXPECT_EQ(cond.type, NodeType::Equal);
    ASSERT_EQ(cond.operands.size(), 2u);
    EXPECT_EQ(cond.operands[0].type, NodeType::Attribute);
    EXPECT_EQ(cond.operands[0].value, kAttributeLanguage);
    EXPECT_EQ(cond.operands[1].type, NodeType::Number);
    EXPECT_EQ(cond.operands[1].value, 2u);
    EXPECT_EQ(p.package.records[5].condition.operands[1].value, 0x101F4FC3u);
}

TEST(ReadFixture, RunAndNullRecords) {
    const Parsed p = parse(fixture("makesis/fr-fn/expected.sis"));
    ASSERT_TRUE(p.ok) << p.error;
    const Record& null = p.package.records[0];
    EXPECT_EQ(null.fileType, static_cast<uint32_t>(FileType::Null));
    EXPECT_EQ(null.source, "");
    ASSERT_EQ(null.forks.size(), 1u);
    EXPECT_EQ(null.forks[0].storedLength, 0u);
    EXPECT_EQ(p.package.records[1].details, kRunBoth | kRunWaitEnd);
    EXPECT_EQ(p.package.records[2].fileType, static_cast<uint32_t>(FileType::Run));
}

TEST(ReadFixture, UncompressedPackage) {
    const Parsed p = parse(fixture("makesis/nc-option/expected.sis"));
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_FALSE(p.package.compressed());
    for (const Record& r : p.package.records) {
        EXPECT_EQ(r.forks[0].storedLength, r.forks[0].originalLength);
    }
}

TEST(ReadFixture, SdkReferenceHeaderValues) {
    const Parsed p = parse(fixture("reference/test/expected.sis"));
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.package.header.uid1, 123u);
    EXPECT_EQ(p.package.header.major, 45);
    EXPECT_EQ(p.package.header.minor, 0x4123);
    EXPECT_EQ(p.package.header.variant, 99999u);
    EXPECT_EQ(p.package.records[0].source, "X:\\MKS0\\test.txt");
}

// ---- Forks stream their data -----------------------------------------------------------------

TEST(ForkData, LargeFileInflatesInPiecesToItsSource) {
    const std::string bytes = fixture("makesis/large-binary/expected.sis");
    const std::string big = fixture("makesis/large-binary/big.bin");
    ASSERT_EQ(big.size(), 204800u);
    MemorySource source(bytes.data(), bytes.size());
    Package package;
    std::string err;
    ASSERT_TRUE(readPackage(source, &package, &err)) << err;
    const Record& r = package.records[1];  // big.bin, first line, stored last
    std::string got;
    size_t pieces = 0;
    ASSERT_TRUE(readForkData(
        source, package, r.forks[0],
        [&](const uint8_t* d, size_t n, std::string*) {
            got.append(reinterpret_cast<const char*>(d), n);
            ++pieces;
            return true;
        },
        &err))
        << err;
    EXPECT_EQ(got, big);
    EXPECT_GT(pieces, 1u);
}

TEST(ForkData, SinkFailureStops) {
    const std::string bytes = fixture("makesis/no-language/expected.sis");
    MemorySource source(bytes.data(), bytes.size());
    Package package;
    std::string err;
    ASSERT_TRUE(readPackage(source, &package, &err)) << err;
    const bool ok = readForkData(
        source, package, package.records[0].forks[0],
        [](const uint8_t*, size_t, std::string* e) {
            *e = "disk full";
            return false;
        },
        &err);
    EXPECT_FALSE(ok);
    EXPECT_EQ(err, "disk full");
}

// ---- Packages built here: what the fixtures do not hold ------------------------------------

TEST(ReadBuilt, Er5EightBitPackage) {
    PackageBuilder b;
    b.er6 = false;
    b.options = 0;
    b.names = {"Caf\xE9"};
    b.file(0, 0, "C:\\src\\a.txt", "C:\\System\\Apps\\Caf\xE9\\a.txt", {"hello\r\n"});
    const std::string bytes = b.build();
    const Parsed p = parse(bytes);
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_FALSE(p.package.er6);
    EXPECT_FALSE(p.package.unicode);
    EXPECT_FALSE(p.package.compressed());
    EXPECT_EQ(p.package.componentNames, std::vector<std::string>{"Caf\xC3\xA9"});
    EXPECT_EQ(p.package.records[0].destination, "C:\\System\\Apps\\Caf\xC3\xA9\\a.txt");
    EXPECT_EQ(p.package.records[0].forks[0].originalLength, 7u);
    EXPECT_TRUE(allOk(verify(bytes, p.package)));
}

TEST(ReadBuilt, OptionsConditionsCapabilitiesMime) {
    PackageBuilder b;
    b.languages = {1, 2};
    b.names = {"Demo EN", "Demo FR"};
    b.capabilities = {{7, 2}, {5, 1}};
    b.branch(RecordType::EndIf);
    b.file(static_cast<uint32_t>(FileType::Mime), kRunWaitEnd, "x.html", "c:\\x.html", {"<html/>"},
           false, "text/html");
    b.condition(RecordType::If, {{NodeType::And},
                                 {NodeType::Equal},
                                 {NodeType::Attribute, kAttributeOptionBase + 1},
                                 {NodeType::Number, 1},
                                 {NodeType::Not},
                                 {NodeType::Exists},
                                 {NodeType::String, 0, "c:\\system\\x\xF0\x9F\x98\x80"}});
    b.optionsList({{"Two EN", "Two FR"}, {"One EN", "One FR"}});
    b.file(0, 0, "r", "!:\\r.rsc", {"english", "french"}, true);
    b.requisite(kSeries60ProductUid, 0, 9, {"S60 EN", "S60 FR"});
    const std::string bytes = b.build();
    const Parsed p = parse(bytes);
    ASSERT_TRUE(p.ok) << p.error;
    const Package& k = p.package;
    EXPECT_EQ(k.capabilities, (std::vector<std::pair<uint32_t, uint32_t>>{{7, 2}, {5, 1}}));
    EXPECT_EQ(k.records[1].mime, "text/html");
    const Expression& c = k.records[2].condition;
    ASSERT_EQ(c.type, NodeType::And);
    EXPECT_EQ(c.operands[0].operands[0].value, kAttributeOptionBase + 1);
    ASSERT_EQ(c.operands[1].type, NodeType::Not);
    EXPECT_EQ(c.operands[1].operands[0].operands[0].text, "c:\\system\\x\xF0\x9F\x98\x80");
    ASSERT_EQ(k.records[3].options.size(), 2u);
    EXPECT_EQ(k.records[3].options[1], (std::vector<std::string>{"One EN", "One FR"}));
    EXPECT_EQ(k.records[3].selected[15], 0xFF);
    EXPECT_EQ(k.records[4].forks.size(), 2u);
    EXPECT_EQ(k.requisites[0].minor, 9);
    EXPECT_TRUE(allOk(verify(bytes, k)));
}

TEST(ReadBuilt, SignatureIsLeftOutOfTheChecksum) {
    PackageBuilder b;
    b.file(0, 0, "a", "!:\\a", {"abc"});
    b.signature = "SIGNATURE-BYTES";
    std::string bytes = b.build();
    Parsed p = parse(bytes);
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.package.checksummedEnd(), bytes.size() - b.signature.size());
    bytes.back() ^= 0x55;
    EXPECT_TRUE(allOk(verify(bytes, p.package)));
}

// ---- Verification failures: the package parses, a check fails ------------------------------

struct VerifyCase {
    const char* name;
    std::function<void(std::string&, const Package&)> damage;
    const char* check;
    const char* detail;
};

void PrintTo(const VerifyCase& c, std::ostream* os) { *os << c.name; }

class VerifyFailure : public ::testing::TestWithParam<VerifyCase> {};

TEST_P(VerifyFailure, ReportsTheCheck) {
    std::string bytes = fixture("makesis/no-language/expected.sis");
    const Parsed original = parse(bytes);
    ASSERT_TRUE(original.ok);
    GetParam().damage(bytes, original.package);
    const Parsed p = parse(bytes);
    ASSERT_TRUE(p.ok) << p.error;
    bool found = false;
    for (const Check& c : verify(bytes, p.package)) {
        if (c.what == GetParam().check) {
            found = true;
            EXPECT_FALSE(c.ok);
            EXPECT_EQ(c.detail, GetParam().detail);
        }
    }
    EXPECT_TRUE(found);
}

uint8_t* at(std::string& s, size_t offset) { return reinterpret_cast<uint8_t*>(&s[offset]); }

INSTANTIATE_TEST_SUITE_P(
    Damage, VerifyFailure,
    ::testing::Values(
        VerifyCase{"Uid4",
                   [](std::string& s, const Package&) {
                       writeU32(at(s, header::kUid4), 0x73854F25);
                       fixChecksum(s);
                   },
                   "UID4", "stored 0x73854F25, computed 0x73850A84"},
        VerifyCase{"Checksum",
                   [](std::string& s, const Package&) { writeU16(at(s, header::kChecksum), 0); },
                   "checksum", "stored 0x0000, computed 0x23B5"},
        VerifyCase{"ZlibBody",
                   [](std::string& s, const Package& k) {
                       s[k.records[0].forks[0].dataPtr + 4] ^= 0x40;
                       fixChecksum(s);
                   },
                   "record 0 fork 0", "zlib stream (23 bytes) is damaged: incorrect data check"},
        VerifyCase{"OriginalLengthTooBig",
                   [](std::string& s, const Package& k) {
                       const size_t field = k.records[0].offset + file_record::originalLengths(1);
                       writeU32(at(s, field), readU32(at(s, field)) + 1);
                       fixChecksum(s);
                   },
                   "record 0 fork 0",
                   "zlib stream (23 bytes) inflates to 15 bytes, original length 16"},
        VerifyCase{"OriginalLengthTooSmall",
                   [](std::string& s, const Package& k) {
                       const size_t field = k.records[0].offset + file_record::originalLengths(1);
                       writeU32(at(s, field), readU32(at(s, field)) - 1);
                       fixChecksum(s);
                   },
                   "record 0 fork 0",
                   "zlib stream (23 bytes) inflates to more than the original length 14"},
        VerifyCase{"StreamShorterThanStored",
                   [](std::string& s, const Package& k) {
                       // Claim one byte less: the stream then misses its last Adler-32 byte.
                       const size_t field = k.records[0].offset + file_record::storedLengths(1);
                       writeU32(at(s, field), readU32(at(s, field)) - 1);
                       fixChecksum(s);
                   },
                   "record 0 fork 0", "zlib stream (22 bytes) is cut short"},
        VerifyCase{"NoCompressFlagOnCompressedData",
                   [](std::string& s, const Package&) {
                       writeU16(at(s, header::kOptions), kOptionUnicode | kOptionNoCompress);
                       fixChecksum(s);
                   },
                   "record 0 fork 0",
                   "stored length 23 differs from original length 15 in an uncompressed package"}),
    [](const ::testing::TestParamInfo<VerifyCase>& info) { return info.param.name; });

// ---- Structural damage: exact error texts --------------------------------------------------

struct StructureCase {
    const char* name;
    std::function<std::string()> make;
    const char* error;
};

void PrintTo(const StructureCase& c, std::ostream* os) { *os << c.name; }

class StructureError : public ::testing::TestWithParam<StructureCase> {};

TEST_P(StructureError, GivesTheMessage) {
    const Parsed p = parse(GetParam().make());
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.error, GetParam().error);
}

// no-language: 285 bytes, one language, one record at 0x66, names at 0x96.
std::string noLanguage(const std::function<void(std::string&)>& change) {
    std::string s = fixture("makesis/no-language/expected.sis");
    change(s);
    return s;
}

std::string built(const std::function<void(PackageBuilder&)>& fill) {
    PackageBuilder b;
    fill(b);
    return b.build();
}

INSTANTIATE_TEST_SUITE_P(
    Damage, StructureError,
    ::testing::Values(
        StructureCase{"Empty", [] { return std::string(); },
                      "file too short for a package header (0 bytes)"},
        StructureCase{"ShortHeader",
                      [] { return noLanguage([](std::string& s) { s.resize(67); }); },
                      "file too short for a package header (67 bytes)"},
        StructureCase{
            "Er6HeaderCut", [] { return noLanguage([](std::string& s) { s.resize(80); }); },
            "ER6 header (100 bytes at 0x00000000) runs past the end of the file (80 bytes)"},
        StructureCase{
            "NotAnInstallPackage",
            [] { return noLanguage([](std::string& s) { writeU32(at(s, 8), 0x10000418); }); },
            "not an installation package (UID3 0x10000418, expected 0x10000419)"},
        StructureCase{
            "UnknownRelease",
            [] { return noLanguage([](std::string& s) { writeU32(at(s, 4), 0x10000000); }); },
            "unknown format release (UID2 0x10000000)"},
        StructureCase{"TooManyLanguages",
                      [] {
                          return noLanguage([](std::string& s) {
                              writeU16(at(s, header::kLanguageCount), 0xFFFF);
                          });
                      },
                      "language records (131070 bytes at 0x00000064) runs past the end of the "
                      "file (285 bytes)"},
        StructureCase{"UnknownRecordType",
                      [] { return noLanguage([](std::string& s) { writeU32(at(s, 0x66), 9); }); },
                      "record 0 at 0x00000066: unknown record type 9"},
        StructureCase{"RecordsRunPastTheEnd",
                      [] {
                          return noLanguage(
                              [](std::string& s) { writeU32(at(s, header::kFilesPtr), 0x11C); });
                      },
                      "record 0 at 0x0000011C (4 bytes at 0x0000011C) runs past the end of the "
                      "file (285 bytes)"},
        StructureCase{
            "OddUnicodeLength",
            [] { return noLanguage([](std::string& s) { writeU32(at(s, 0x66 + 0x0C), 7); }); },
            "record 0 at 0x00000066: source name: UTF-16 string has an odd length (7)"},
        StructureCase{"HugeString",
                      [] {
                          return noLanguage(
                              [](std::string& s) { writeU32(at(s, 0x66 + 0x14), 0x7FFFFFFE); });
                      },
                      "record 0 at 0x00000066: destination name: string of 2147483646 bytes is "
                      "too long"},
        StructureCase{"StringPastTheEnd",
                      [] {
                          return noLanguage(
                              [](std::string& s) { writeU32(at(s, 0x66 + 0x10), 0xFFFFFFF0); });
                      },
                      "record 0 at 0x00000066: source name (34 bytes at 0xFFFFFFF0) runs past the "
                      "end of the file (285 bytes)"},
        StructureCase{
            "DataPastTheEnd",
            [] { return noLanguage([](std::string& s) { writeU32(at(s, 0x66 + 0x1C), 0x1000); }); },
            "record 0 at 0x00000066: data of fork 0 (4096 bytes at 0x00000106) runs past "
            "the end of the file (285 bytes)"},
        StructureCase{"SharedData",
                      [] {
                          std::string s = built([](PackageBuilder& b) {
                              b.file(0, 0, "a", "c:\\a", {"aaaa"});
                              b.file(0, 0, "b", "c:\\b", {"bbbb"});
                          });
                          const size_t second = 0x66 + file_record::size(1, true);
                          writeU32(at(s, second + file_record::dataPtrs(1)),
                                   readU32(at(s, 0x66 + file_record::dataPtrs(1))) + 1);
                          return s;
                      },
                      "record 1 fork 0: data overlaps the data of record 0 fork 0"},
        StructureCase{"RequisitesPastTheEnd",
                      [] {
                          return noLanguage([](std::string& s) {
                              writeU16(at(s, header::kRequisiteCount), 100);
                          });
                      },
                      "requisite records (2000 bytes at 0x00000096) runs past the end of the file "
                      "(285 bytes)"},
        StructureCase{"CapabilitiesPastTheEnd",
                      [] {
                          return noLanguage([](std::string& s) {
                              writeU16(at(s, header::kCapabilityCount), 1000);
                          });
                      },
                      "capabilities record (8000 bytes at 0x00000096) runs past the end of the "
                      "file (285 bytes)"},
        StructureCase{"NamesPastTheEnd",
                      [] {
                          return noLanguage([](std::string& s) {
                              writeU32(at(s, header::kComponentNamePtr), 0x118);
                          });
                      },
                      "component-name record (8 bytes at 0x00000118) runs past the end of the "
                      "file (285 bytes)"},
        StructureCase{"SignaturePastTheEnd",
                      [] {
                          return noLanguage([](std::string& s) {
                              writeU32(at(s, header::kSignaturePtr), 0x200);
                          });
                      },
                      "signature pointer 0x00000200 lies outside the file"},
        StructureCase{"TooManyOptions",
                      [] {
                          return built([](PackageBuilder& b) {
                              b.optionsList(std::vector<std::vector<std::string>>(129, {"o"}));
                          });
                      },
                      "record 0 at 0x00000066: 129 options (at most 128)"},
        StructureCase{"UnknownNode",
                      [] {
                          return built([](PackageBuilder& b) {
                              b.branch(RecordType::EndIf);
                              b.condition(RecordType::If, {{static_cast<NodeType>(15)}});
                          });
                      },
                      "record 1 at 0x0000006A: unknown condition node type 15"},
        StructureCase{
            "ExpressionCutShort",
            [] {
                return built([](PackageBuilder& b) {
                    b.branch(RecordType::EndIf);
                    b.condition(RecordType::If, {{NodeType::Equal}, {NodeType::Number, 1}});
                });
            },
            "record 1 at 0x0000006A: condition ends inside a node"},
        StructureCase{"ExpressionTrailingBytes",
                      [] {
                          return built([](PackageBuilder& b) {
                              b.branch(RecordType::EndIf);
                              b.condition(RecordType::If, {{NodeType::Number, 1}, {NodeType::Not}});
                          });
                      },
                      "record 1 at 0x0000006A: condition has 4 bytes after its expression"},
        StructureCase{"ExpressionTooDeep",
                      [] {
                          return built([](PackageBuilder& b) {
                              std::vector<Node> nodes(100, Node{NodeType::Not});
                              nodes.push_back({NodeType::Number, 1});
                              b.branch(RecordType::EndIf);
                              b.condition(RecordType::If, nodes);
                          });
                      },
                      "record 1 at 0x0000006A: condition nested deeper than 64 levels"},
        StructureCase{"EndIfWithoutIf",
                      [] {
                          return built([](PackageBuilder& b) {
                              b.condition(RecordType::If, {{NodeType::Number, 1}});
                              b.branch(RecordType::EndIf);
                          });
                      },
                      "record 1: ENDIF without IF"},
        StructureCase{"IfWithoutEndIf",
                      [] {
                          return built([](PackageBuilder& b) {
                              b.condition(RecordType::If, {{NodeType::Number, 1}});
                          });
                      },
                      "record 0: IF without ENDIF"},
        StructureCase{"ElseOutsideBlock",
                      [] { return built([](PackageBuilder& b) { b.branch(RecordType::Else); }); },
                      "record 0: ELSE outside an IF block"},
        StructureCase{"ElseIfAfterElse",
                      [] {
                          return built([](PackageBuilder& b) {
                              b.branch(RecordType::EndIf);
                              b.condition(RecordType::ElseIf, {{NodeType::Number, 1}});
                              b.branch(RecordType::Else);
                              b.condition(RecordType::If, {{NodeType::Number, 1}});
                          });
                      },
                      "record 1: ELSEIF after ELSE"}),
    [](const ::testing::TestParamInfo<StructureCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tovrin::sis
