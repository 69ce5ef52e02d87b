// What the compiler stores for script features the golden cases do not cover: conditions,
// options, capabilities, components, FM, stubs, text conversion, script encodings, numbers.
// Expected values come from the package format notes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "src/sis/crc.h"
#include "src/sis/sis_format.h"
#include "tests/makesis/library_run.h"
#include "tests/support/temp_dir.h"

namespace {

namespace hdr = tovrin::sis::header;
using tovrin::test::readFile;
using tovrin::test::TempDir;

class Sis {
public:
    explicit Sis(std::string bytes) : bytes_(std::move(bytes)) {}
    size_t size() const { return bytes_.size(); }
    uint32_t u32(size_t at) const { return tovrin::sis::readU32(data(at, 4)); }
    uint16_t u16(size_t at) const { return tovrin::sis::readU16(data(at, 2)); }
    // A UTF-16LE string given by a length field and a pointer field.
    std::u16string text(size_t lengthAt, size_t ptrAt) const {
        const uint32_t length = u32(lengthAt);
        const uint8_t* p = data(u32(ptrAt), length);
        std::u16string s;
        for (uint32_t i = 0; i + 1 < length; i += 2)
            s.push_back(static_cast<char16_t>(p[i] | (p[i + 1] << 8)));
        return s;
    }
    std::string raw(size_t at, size_t length) const { return bytes_.substr(at, length); }
    // The first stored record.
    size_t firstRecord() const { return u32(hdr::kFilesPtr); }
    bool checksumValid() const {
        return u16(hdr::kChecksum) == tovrin::sis::packageChecksum(bytes_.data(), bytes_.size());
    }

private:
    const uint8_t* data(size_t at, size_t length) const {
        if (at + length > bytes_.size()) throw std::out_of_range("outside the package");
        return reinterpret_cast<const uint8_t*>(bytes_.data()) + at;
    }
    std::string bytes_;
};

class PackageContent : public ::testing::Test {
protected:
    // Writes the script, compiles it (with extra arguments before the script name) and
    // returns the package.
    Sis compile(const std::string& script, std::vector<std::string> args = {}) {
        dir_.write("t.pkg", script);
        args.push_back("t.pkg");
        const tovrin::test::LibraryRun run = tovrin::test::runInFolder(dir_.path(), args);
        EXPECT_EQ(run.status, 0) << run.out;
        Sis sis(readFile(dir_.path() / "t.sis"));
        EXPECT_TRUE(sis.checksumValid());
        return sis;
    }
    void file(const std::string& name, const std::string& bytes) { dir_.write(name, bytes); }

    TempDir dir_;
};

const std::string kHeader = "#{\"Demo\"},(0x01000000),1,0,0\r\n";

TEST_F(PackageContent, IfConditionIsAPrefixTreeStoredAfterItsBranch) {
    file("a.bin", "x");
    const Sis sis = compile(kHeader + "IF Language=2\r\n\"a.bin\"-\"!:\\a.bin\"\r\nENDIF\r\n");
    const size_t endif = sis.firstRecord();
    EXPECT_EQ(sis.u32(endif), 6u);
    const size_t ifRecord = endif + 4 + 48;
    const std::vector<uint32_t> expected = {3, 28, 0, 13, 0x1000, 0, 14, 2, 0};
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(sis.u32(ifRecord + 4 * i), expected[i]) << i;
    EXPECT_EQ(sis.u32(hdr::kRequisitesPtr), ifRecord + 36);
}

TEST_F(PackageContent, ExistsStringLiesInTheStringBlock) {
    const Sis sis = compile(
        kHeader + "IF Language=1\r\nELSEIF (Language=2) AND NOT(EXISTS(\"c:\\x\"))\r\nENDIF\r\n");
    const size_t elseIf = sis.firstRecord() + 4;
    EXPECT_EQ(sis.u32(elseIf), 4u);
    EXPECT_EQ(sis.u32(elseIf + 4), 52u);
    const std::vector<uint32_t> nodeTypes = {6, 0, 13, 14, 11, 8, 12};
    const size_t nodeOffsets[] = {0, 4, 8, 20, 32, 36, 40};
    for (size_t i = 0; i < nodeTypes.size(); ++i) {
        EXPECT_EQ(sis.u32(elseIf + 8 + nodeOffsets[i]), nodeTypes[i]) << i;
    }
    const size_t stringNode = elseIf + 8 + 40;
    EXPECT_EQ(sis.text(stringNode + 4, stringNode + 8), u"c:\\x");
    EXPECT_GE(sis.u32(stringNode + 8), sis.u32(hdr::kComponentNamePtr) + 8);
}

TEST_F(PackageContent, CapabilitiesArePairsInReverseOrder) {
    const Sis sis = compile(kHeader + "+(5=1,7=2)\r\n");
    EXPECT_EQ(sis.u16(hdr::kCapabilityCount), 2u);
    const size_t caps = sis.u32(hdr::kCapabilitiesPtr);
    EXPECT_EQ(sis.raw(caps, 16), std::string("\x07\0\0\0\x02\0\0\0\x05\0\0\0\x01\0\0\0", 16));
    EXPECT_EQ(sis.u32(hdr::kComponentNamePtr), caps + 16);
}

TEST_F(PackageContent, OptionsAreReversedWithAFullBitmap) {
    const Sis sis =
        compile(kHeader + "!({\"Option one\"},{\"Option two\"})\r\nIF option1=1\r\nENDIF\r\n");
    const size_t endif = sis.firstRecord();
    const size_t ifRecord = endif + 4;
    EXPECT_EQ(sis.u32(ifRecord + 12), 13u);  // attribute node
    EXPECT_EQ(sis.u32(ifRecord + 16), 0x2001u);
    const size_t options = ifRecord + 8 + 28;
    EXPECT_EQ(sis.u32(options), 2u);
    EXPECT_EQ(sis.u32(options + 4), 2u);
    EXPECT_EQ(sis.text(options + 8, options + 12), u"Option two");
    EXPECT_EQ(sis.text(options + 16, options + 20), u"Option one");
    EXPECT_EQ(sis.raw(options + 24, 16), std::string(16, '\xFF'));
}

TEST_F(PackageContent, MaximumSpaceTakesTheLargestBranch) {
    file("f10", std::string(10, 'a'));
    file("f30", std::string(30, 'b'));
    file("f20", std::string(20, 'c'));
    file("f25", std::string(25, 'd'));
    file("f5", std::string(5, 'e'));
    file("t7", std::string(7, 't'));
    const Sis sis = compile(kHeader +
                            "\"f10\"-\"!:\\f10\"\r\n\"t7\"-\"\",FT\r\n"
                            "IF Language=1\r\n\"f30\"-\"!:\\a\"\r\n"
                            "ELSEIF Language=2\r\n\"f20\"-\"!:\\b\"\r\n\"f25\"-\"!:\\c\",FR\r\n"
                            "ELSE\r\n\"f5\"-\"!:\\d\"\r\nENDIF\r\n");
    EXPECT_EQ(sis.u32(hdr::kMaxInstalledSpace), 55u);
}

TEST_F(PackageContent, VersionsAreCutToSixteenBits) {
    const Sis sis = compile("#{\"Demo\"},(0x01000000),70000,-1,0x94123\r\n");
    EXPECT_EQ(sis.u16(hdr::kMajor), 4464u);
    EXPECT_EQ(sis.u16(hdr::kMinor), 65535u);
    EXPECT_EQ(sis.u32(hdr::kVariant), 0x94123u);
    EXPECT_EQ(sis.u16(hdr::kFileCount), 0u);
    EXPECT_EQ(sis.u16(hdr::kInstallDrive), 0u);
}

TEST_F(PackageContent, CharacterCodesJoinQuotedPieces) {
    const Sis sis = compile("#{\"a\"<34>\"b\"<0x41><233>},(1),1,0,0\r\n");
    const size_t names = sis.u32(hdr::kComponentNamePtr);
    EXPECT_EQ(sis.text(names, names + 4), u"a\"bA\u00e9");
}

TEST_F(PackageContent, UncompressedTextKeepsItsConvertedCopyName) {
    file("about.txt", "caf\xE9\r\n");  // not UTF-8: read as Windows-1252
    file("raw.bin", "\x01\x02\x03");
    const Sis sis = compile(
        "#{\"Raw\"},(1),1,0,0,NC\r\n\"about.txt\"-\"\",FT,TA\r\n\"raw.bin\"-\"!:\\raw.bin\"\r\n");
    EXPECT_EQ(sis.u16(hdr::kOptions), 0x0009u);
    const size_t raw = sis.firstRecord();
    EXPECT_EQ(sis.text(raw + 0x0C, raw + 0x10), u"raw.bin");
    EXPECT_EQ(sis.raw(sis.u32(raw + 0x20), 3), "\x01\x02\x03");
    const size_t about = raw + 48;
    EXPECT_EQ(sis.u32(about + 4), 1u);  // FT
    EXPECT_EQ(sis.u32(about + 8), 2u);  // TA
    EXPECT_EQ(sis.text(about + 0x0C, about + 0x10), u"X:\\MKS0\\about.txt");
    EXPECT_EQ(sis.u32(about + 0x14), 0u);  // a text option drops the target
    EXPECT_EQ(sis.u32(about + 0x1C), 12u);
    EXPECT_EQ(sis.raw(sis.u32(about + 0x20), 12), std::string("c\0a\0f\0\xE9\0\r\0\n\0", 12));
    EXPECT_EQ(sis.u32(about + 0x24), 12u);
    EXPECT_EQ(readFile(dir_.path() / "raw.bin"), "\x01\x02\x03") << "sources stay where they are";
    EXPECT_EQ(readFile(dir_.path() / "about.txt"), "caf\xE9\r\n");
}

TEST_F(PackageContent, BigEndianTextIsByteSwapped) {
    file("be.txt", std::string("\xFE\xFF\0h\0i", 6));
    const Sis sis = compile("#{\"T\"},(1),1,0,0,NC\r\n\"be.txt\"-\"\",FT\r\n");
    const size_t rec = sis.firstRecord();
    EXPECT_EQ(sis.text(rec + 0x14, rec + 0x18), u"c:\\");
    EXPECT_EQ(sis.raw(sis.u32(rec + 0x20), 6), std::string("\xFF\xFEh\0i\0", 6));
}

TEST_F(PackageContent, LittleEndianTextNeedsNoConvertedCopy) {
    file("le.txt", std::string("\xFF\xFEh\0", 4));
    const Sis sis = compile("#{\"T\"},(1),1,0,0\r\n\"le.txt\"-\"\",FT\r\n");
    const size_t rec = sis.firstRecord();
    EXPECT_EQ(sis.text(rec + 0x0C, rec + 0x10), u"X:\\MKS0\\le.txt");
    EXPECT_EQ(sis.u32(rec + 0x24), 4u);
}

TEST_F(PackageContent, ScriptEncodingsAndLineEndsGiveTheSamePackage) {
    file("a.bin", "data");
    const std::string crlf =
        "&EN\r\n#{\"D\xC3\xA9mo\"},(0x01000000),1,0,0\r\n\"a.bin\"-\"!:\\a.bin\"\r\n";
    compile(crlf);
    const std::string reference = readFile(dir_.path() / "t.sis");
    std::string lf = crlf;
    for (size_t at; (at = lf.find("\r\n")) != std::string::npos;) lf.erase(at, 1);
    std::string ansi = crlf;
    ansi.replace(ansi.find("\xC3\xA9"), 2, "\xE9");
    std::string utf16le = "\xFF\xFE", utf16be = "\xFE\xFF";
    for (char16_t c :
         u"&EN\r\n#{\"D\u00e9mo\"},(0x01000000),1,0,0\r\n\"a.bin\"-\"!:\\a.bin\"\r\n") {
        if (!c) break;
        utf16le += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        utf16be += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    }
    for (const std::string& script : {lf, ansi, utf16le, utf16be, "\xEF\xBB\xBF" + crlf}) {
        compile(script);
        EXPECT_TRUE(readFile(dir_.path() / "t.sis") == reference);
    }
    const Sis sis(reference);
    const size_t names = sis.u32(hdr::kComponentNamePtr);
    EXPECT_EQ(sis.text(names, names + 4), u"D\u00e9mo");
}

#ifndef _WIN32
// Here a file name is bytes: one name in Latin-1 is read on its own, as Windows-1252, and
// opened by its exact bytes; the UTF-8 strings beside it stay UTF-8.
TEST_F(PackageContent, EachStringOfAScriptThatIsNotUtf8IsReadOnItsOwn) {
    file("caf\xE9.txt", "latin-1 name");
    file("zo\xC3\xAB.txt", "utf-8 name");
    const Sis sis = compile(
        "#{\"D\xC3\xA9mo\"},(1),1,0,0\r\n"
        "\"caf\xE9.txt\"-\"!:\\caf\xE9.txt\"\r\n"
        "\"zo\xC3\xAB.txt\"-\"!:\\zo\xC3\xAB.txt\"\r\n");
    const size_t names = sis.u32(hdr::kComponentNamePtr);
    EXPECT_EQ(sis.text(names, names + 4), u"D\u00e9mo");
    const size_t zoe = sis.firstRecord(), cafe = zoe + 48;  // records in reverse order
    EXPECT_EQ(sis.text(cafe + 0x0C, cafe + 0x10), u"X:\\MKS0\\caf\u00e9.txt");
    EXPECT_EQ(sis.text(cafe + 0x14, cafe + 0x18), u"!:\\caf\u00e9.txt");
    EXPECT_EQ(sis.text(zoe + 0x0C, zoe + 0x10), u"X:\\MKS0\\zo\u00eb.txt");
    EXPECT_EQ(sis.text(zoe + 0x14, zoe + 0x18), u"!:\\zo\u00eb.txt");
    EXPECT_EQ(sis.u32(cafe + 0x24), 12u);  // the Latin-1 file's own length
}
#endif

TEST_F(PackageContent, TargetsWithoutDriveGetDriveC) {
    file("a.bin", "1");
    const Sis sis = compile(kHeader + "\"a.bin\"-\"system\\x\"\r\n\"a.bin\"-\"C:x\"\r\n");
    const size_t second = sis.firstRecord();
    EXPECT_EQ(sis.text(second + 0x14, second + 0x18), u"c:\\C:x");
    EXPECT_EQ(sis.text(second + 48 + 0x14, second + 48 + 0x18), u"c:\\system\\x");
    EXPECT_EQ(sis.u16(hdr::kInstallDrive), 'c');
}

TEST_F(PackageContent, MimeFileStoresAnEightBitTypeAndTakesNoSpace) {
    file("a.txt", "hello");
    const Sis sis = compile(kHeader + "\"a.txt\"-\"!:\\a.txt\",FM,\"text/plain\",RW\r\n");
    const size_t rec = sis.firstRecord();
    EXPECT_EQ(sis.u32(rec + 4), 5u);
    EXPECT_EQ(sis.u32(rec + 8), 0x200u);
    EXPECT_EQ(sis.u32(rec + 0x28), 10u);
    EXPECT_EQ(sis.raw(sis.u32(rec + 0x2C), 10), "text/plain");
    EXPECT_EQ(sis.u32(hdr::kMaxInstalledSpace), 0u);
}

TEST_F(PackageContent, ComponentCountsItsOwnMaximumSpace) {
    file("inner.bin", std::string(300, 'i'));
    dir_.write("inner.pkg",
               "#{\"Inner\"},(0x01000001),1,0,0\r\n\"inner.bin\"-\"!:\\inner.bin\"\r\n");
    ASSERT_EQ(tovrin::test::runInFolder(dir_.path(), {"inner.pkg"}).status, 0);
    const Sis sis = compile(kHeader + "@\"inner.sis\",(0x01000001)\r\n");
    const size_t rec = sis.firstRecord();
    EXPECT_EQ(sis.u32(rec + 4), 2u);
    EXPECT_EQ(sis.u32(rec + 8), 0x01000001u);
    EXPECT_EQ(sis.u32(rec + 0x24), readFile(dir_.path() / "inner.sis").size());
    EXPECT_EQ(sis.u32(hdr::kMaxInstalledSpace), 300u + readFile(dir_.path() / "inner.sis").size());
}

struct ComponentSpaceCase {
    const char* name;
    std::string lines;  // after the header
    uint32_t maxInstalledSpace;
};

void PrintTo(const ComponentSpaceCase& c, std::ostream* os) { *os << c.name; }

class ComponentSpace : public PackageContent,
                       public ::testing::WithParamInterface<ComponentSpaceCase> {
protected:
    // A package file of `size` bytes whose header claims `maxSpace`.
    void component(const std::string& name, size_t size, uint32_t maxSpace) {
        std::string bytes(size, '\0');
        auto* p = reinterpret_cast<uint8_t*>(bytes.data());
        tovrin::sis::writeU32(p + hdr::kUid2, tovrin::sis::kUid2Er6);
        tovrin::sis::writeU32(p + hdr::kMaxInstalledSpace, maxSpace);
        file(name, bytes);
    }
};

TEST_P(ComponentSpace, AddsEachComponentsOwnSpaceAndFileSize) {
    component("first.sis", 13426, 27368);
    component("second.sis", 7894, 16435);
    file("plain.sis", std::string(500, 'p'));  // not a package: its size alone
    file("app.bin", std::string(300, 'a'));
    const Sis sis = compile(kHeader + GetParam().lines);
    EXPECT_EQ(sis.u32(hdr::kMaxInstalledSpace), GetParam().maxInstalledSpace);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ComponentSpace,
    ::testing::Values(
        ComponentSpaceCase{"TwoComponents",
                           "@\"first.sis\",(0x01000001)\r\n@\"second.sis\",(0x01000002)\r\n",
                           27368 + 13426 + 16435 + 7894},
        ComponentSpaceCase{"InBranches",
                           "IF option1\r\n@\"first.sis\",(1)\r\nELSE\r\n"
                           "@\"second.sis\",(2)\r\n\"app.bin\"-\"!:\\a.bin\"\r\nENDIF\r\n",
                           27368 + 13426},
        ComponentSpaceCase{"NotAPackageWithAFile",
                           "@\"plain.sis\",(3)\r\n\"app.bin\"-\"!:\\a.bin\"\r\n", 500 + 300}),
    [](const ::testing::TestParamInfo<ComponentSpaceCase>& p) {
        return std::string(p.param.name);
    });

TEST_F(PackageContent, StubHasRecordsButNoData) {
    file("a.bin", std::string(1000, 'a'));
    const Sis full = compile(kHeader + "\"a.bin\"-\"!:\\a.bin\"\r\n");
    const Sis stub = compile(kHeader + "\"a.bin\"-\"!:\\a.bin\"\r\n", {"-s"});
    const size_t rec = stub.firstRecord();
    EXPECT_EQ(stub.size(), stub.u32(rec + 0x20));
    EXPECT_EQ(stub.u32(rec + 0x1C), full.u32(rec + 0x1C));
    EXPECT_EQ(stub.u16(hdr::kInstallDrive), 'z');
    EXPECT_EQ(stub.u16(hdr::kInstallFiles), 1u);
}

TEST_F(PackageContent, RequisitesAndTheirNamesAreReversed) {
    const Sis sis = compile(
        "&EN,FR\r\n#{\"D EN\",\"D FR\"},(1),1,0,0\r\n"
        "(0x101F6F88),1,2,3,{\"P EN\",\"P FR\"}\r\n(0x10000002),0,0,0,{\"Q EN\",\"Q FR\"}\r\n");
    const size_t languages = sis.u32(hdr::kLanguagesPtr);
    EXPECT_EQ(sis.u16(languages), 2u);
    EXPECT_EQ(sis.u16(languages + 2), 1u);
    const size_t req = sis.u32(hdr::kRequisitesPtr);
    EXPECT_EQ(sis.u32(req), 0x10000002u);
    EXPECT_EQ(sis.text(req + 12, req + 20), u"Q FR");
    const size_t second = req + 28;
    EXPECT_EQ(sis.u32(second), 0x101F6F88u);
    EXPECT_EQ(sis.u16(second + 4), 1u);
    EXPECT_EQ(sis.u16(second + 6), 2u);
    EXPECT_EQ(sis.u32(second + 8), 3u);
    EXPECT_EQ(sis.text(second + 16, second + 24), u"P EN");
}

}  // namespace
