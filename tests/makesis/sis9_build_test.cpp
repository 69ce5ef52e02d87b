// Building Symbian 9 packages: ROM stubs, the creation time and what overrides it, embedded
// packages with their data units and data indices, and script errors at their line.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/makesis/library_run.h"
#include "tests/support/temp_dir.h"

namespace {

using tovrin::test::LibraryRun;
using tovrin::test::readFile;
using tovrin::test::runInFolder;
using tovrin::test::TempDir;

uint32_t u32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 |
           uint32_t(uint8_t(b[at + 2])) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
}

std::string le32(uint32_t v) {
    std::string out;
    for (int i = 0; i < 4; ++i) out.push_back(char(v >> (8 * i)));
    return out;
}

std::string expandController(const std::string& package) {
    if (package.size() < 0x44 || u32(package, 0x30) != 3) return {};
    std::string out(u32(package, 0x3C), '\0');
    uLongf length = static_cast<uLongf>(out.size());
    const std::string stored = package.substr(0x44, u32(package, 0x34) - 12);
    if (uncompress(reinterpret_cast<Bytef*>(&out[0]), &length,
                   reinterpret_cast<const Bytef*>(stored.data()), uLong(stored.size())) != Z_OK) {
        return {};
    }
    return out;
}

// The Data field of a package: behind the controller's Compressed field.
std::string dataField(const std::string& package) {
    const size_t at = 0x30 + 8 + ((u32(package, 0x34) + 3) & ~3u);
    return package.size() > at ? package.substr(at) : std::string();
}

uint32_t unitCount(const std::string& data) {
    uint32_t count = 0;
    for (size_t at = 8 + 12; at + 4 <= data.size(); at += 4 + ((u32(data, at) + 3) & ~3u)) {
        ++count;
    }
    return count;
}

void setVariable(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
#endif
}

const std::string kTop = "&EN\r\n#{\"Demo\"},(0xE0000001),1,0,0\r\n:\"Demo\"\r\n";

TEST(Sis9Stub, IsTheBareControllerWithTheFixedStamp) {
    TempDir dir;
    dir.write("t.pkg", kTop + "\"\"-\"z:\\sys\\bin\\x.dll\"\r\n");
    const LibraryRun run = runInFolder(dir.path(), {"-s", "--time", "2020-01-01T00:00:00", "t.pkg"});
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string stub = readFile(dir.path() / "t.sis");
    ASSERT_GE(stub.size(), 8u);
    EXPECT_EQ(u32(stub, 0), 13u);
    EXPECT_EQ(stub.size(), 8 + u32(stub, 4));
    const std::string stamp = le32(6) + le32(4) + std::string("\xd4\x07\x00\x01", 4) + le32(7) +
                              le32(3) + std::string(4, '\0');
    EXPECT_NE(stub.find(stamp), std::string::npos);
    // An empty hash, lengths 0, index 0: nothing of the file is in a stub.
    EXPECT_NE(stub.find(le32(25) + le32(12) + le32(1) + le32(37) + le32(0) + le32(1) + le32(0) +
                        std::string(20, '\0')),
              std::string::npos);
    EXPECT_EQ(run.out.find("unsigned"), std::string::npos) << run.out;
}

struct TimeCase {
    const char* name;
    const char* epoch;  // SOURCE_DATE_EPOCH, or null
    const char* time;   // --time, or null
    std::string stored;  // year (u16), month from 0, day, then h, m, s
};

void PrintTo(const TimeCase& c, std::ostream* os) { *os << c.name; }

class Sis9TimeTest : public ::testing::TestWithParam<TimeCase> {};

TEST_P(Sis9TimeTest, StoresTheCreationTime) {
    const TimeCase& c = GetParam();
    TempDir dir;
    dir.write("t.pkg", kTop);
    std::vector<std::string> args;
    if (c.time) args = {"--time", c.time};
    args.push_back("t.pkg");
    setVariable("SOURCE_DATE_EPOCH", c.epoch);
    const LibraryRun run = runInFolder(dir.path(), args);
    setVariable("SOURCE_DATE_EPOCH", nullptr);
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string controller = expandController(readFile(dir.path() / "t.sis"));
    const std::string expected = le32(6) + le32(4) + c.stored.substr(0, 4) + le32(7) + le32(3) +
                                 c.stored.substr(4) + std::string(1, '\0');
    EXPECT_NE(controller.find(expected), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, Sis9TimeTest,
    ::testing::Values(
        TimeCase{"SourceDateEpoch", "1700000000", nullptr,
                 std::string("\xe7\x07\x0a\x0e\x16\x0d\x14", 7)},  // 2023-11-14 22:13:20
        TimeCase{"TimeOption", nullptr, "2024-02-29T23:59:58",
                 std::string("\xe8\x07\x01\x1d\x17\x3b\x3a", 7)},
        TimeCase{"TimeOverridesEpoch", "1700000000", "1999-12-31T00:00:01",
                 std::string("\xcf\x07\x0b\x1f\x00\x00\x01", 7)},
        TimeCase{"EpochNotANumberIsNow", "soon", "2004-01-01T00:00:00",
                 std::string("\xd4\x07\x00\x01\x00\x00\x00", 7)}),
    [](const ::testing::TestParamInfo<TimeCase>& p) { return std::string(p.param.name); });

TEST(Sis9Time, BadTimeIsAUsageError) {
    TempDir dir;
    dir.write("t.pkg", kTop);
    for (const char* bad : {"2024-02-30T00:00:00", "2024-01-01 00:00:00", "2024-1-1T0:0:0"}) {
        const LibraryRun run = runInFolder(dir.path(), {"--time", bad, "t.pkg"});
        EXPECT_EQ(run.status, 1) << bad;
        EXPECT_NE(run.out.find("--time needs a UTC time as YYYY-MM-DDTHH:MM:SS"),
                  std::string::npos)
            << run.out;
    }
}

// A package embedded in a package embedded in a third: each embedded controller is copied in
// with the number of its first data unit, counted from its parent's, as its data index.
TEST(Sis9Embedded, CopiesControllersAndAppendsDataUnits) {
    TempDir dir;
    dir.write("a.txt", "first file");
    dir.write("b.txt", "second file");
    dir.write("c.txt", "third file");
    const auto build = [&](const std::string& name, const std::string& script) {
        dir.write(name + ".pkg", script);
        const LibraryRun run = runInFolder(dir.path(), {"--time", "2021-05-05T05:05:05",
                                                        name + ".pkg"});
        EXPECT_EQ(run.status, 0) << run.out;
        return readFile(dir.path() / (name + ".sis"));
    };
    const std::string inner = build(
        "inner", "&EN\r\n#{\"In\"},(0xE0000002),1,0,0\r\n:\"V\"\r\n\"a.txt\"-\"!:\\a.txt\"\r\n");
    const std::string middle = build(
        "middle", "&EN\r\n#{\"Mid\"},(0xE0000003),1,0,0\r\n:\"V\"\r\n\"b.txt\"-\"!:\\b.txt\"\r\n"
                  "IF exists(\"c:\\x\")\r\n@\"inner.sis\",(0xE0000002)\r\nENDIF\r\n");
    const std::string outer = build(
        "outer", "&EN\r\n#{\"Out\"},(0xE0000004),1,0,0\r\n:\"V\"\r\n\"c.txt\"-\"!:\\c.txt\"\r\n"
                 "@\"middle.sis\",(0xE0000003)\r\n");
    ASSERT_EQ(unitCount(dataField(inner)), 1u);
    ASSERT_EQ(unitCount(dataField(middle)), 2u);
    ASSERT_EQ(unitCount(dataField(outer)), 3u);

    std::string innerController = expandController(inner);
    ASSERT_EQ(u32(innerController, innerController.size() - 4), 0u);
    innerController.replace(innerController.size() - 4, 4, le32(1));
    const std::string middleController = expandController(middle);
    EXPECT_NE(middleController.find(innerController), std::string::npos);
    // In the outer package, the middle one starts at unit 1 and keeps the inner one at 1
    // past its own: unit 2.
    std::string embeddedMiddle = middleController;
    embeddedMiddle.replace(embeddedMiddle.size() - 4, 4, le32(1));
    EXPECT_NE(expandController(outer).find(embeddedMiddle), std::string::npos);
    // Their data units are behind the outer package's own, as they were.
    const std::string middleUnits = dataField(middle).substr(8 + 12);
    EXPECT_EQ(dataField(outer).substr(dataField(outer).size() - middleUnits.size()), middleUnits);
}

// Sources are found as for pre-9 scripts: -d, --root, --drive, and letter case ignored where
// the file system tells cases apart.
TEST(Sis9Sources, AreLookedUpAsForPre9Scripts) {
    TempDir dir;
    dir.write("search/a.txt", "from -d");
    dir.write("root/r/b.txt", "from --root");
    dir.write("drive/c.txt", "from --drive");
    dir.write("Mixed/Case.TXT", "any case");
    dir.write("t.pkg", kTop + "\"a.txt\"-\"!:\\a\"\r\n\"\\r\\b.txt\"-\"!:\\b\"\r\n"
                              "\"C:\\c.txt\"-\"!:\\c\"\r\n\"mixed\\case.txt\"-\"!:\\d\"\r\n");
    const LibraryRun run = runInFolder(
        dir.path(), {"-d", (dir.path() / "search").string(), "--root", (dir.path() / "root").string(),
                     "--drive", "c=" + (dir.path() / "drive").string(), "t.pkg"});
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string package = readFile(dir.path() / "t.sis");
    for (const char* text : {"from -d", "from --root", "from --drive", "any case"}) {
        EXPECT_NE(package.find(text), std::string::npos) << text;
    }
}

struct BadScript {
    const char* name;
    std::string script;
    std::string error;
};

void PrintTo(const BadScript& c, std::ostream* os) { *os << c.name; }

class Sis9ErrorTest : public ::testing::TestWithParam<BadScript> {};

TEST_P(Sis9ErrorTest, NamesTheLineAndWritesNothing) {
    const BadScript& c = GetParam();
    TempDir dir;
    dir.write("a.txt", "text");
    dir.write("t.pkg", c.script);
    const LibraryRun run = runInFolder(dir.path(), {"t.pkg"});
    EXPECT_EQ(run.status, 1);
    ASSERT_FALSE(run.errorLines().empty()) << run.out;
    EXPECT_EQ(run.errorLines()[0], c.error);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "t.sis"));
    EXPECT_EQ(tovrin::test::folderNames(dir.path()), (std::vector<std::string>{"a.txt", "t.pkg"}));
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, Sis9ErrorTest,
    ::testing::Values(
        BadScript{"MissingFile", kTop + "\r\n\"absent.txt\"-\"!:\\b.txt\"\r\n",
                  "t.pkg(5) : error: file not found: absent.txt"},
        BadScript{"Pre9Type", "&EN\r\n#{\"D\"},(0xE0000001),1,0,0,TYPE=SC\r\n:\"V\"\r\n",
                  "t.pkg(2) : error: package type SC is not supported in Symbian 9 packages: "
                  "use SA, SP, PU, PA or PP"},
        BadScript{"PreinstalledWithData",
                  "&EN\r\n#{\"D\"},(0xE0000001),1,0,0,TYPE=PA\r\n:\"V\"\r\n"
                  "\"a.txt\"-\"!:\\a\"\r\n",
                  "t.pkg(4) : error: a package of type PA or PP installs files already on the "
                  "phone: it carries no file data (use FN or an empty source \"\" for them)"},
        BadScript{"VendorTwice", kTop + ":\"Again\"\r\n",
                  "t.pkg(4) : error: the unique vendor name is already given"},
        BadScript{"ElseWithoutIf", kTop + "\"a.txt\"-\"!:\\a\"\r\nELSE\r\n",
                  "t.pkg(5) : error: ELSE without IF"},
        BadScript{"OptionNotListed", kTop + "IF option2\r\nENDIF\r\n",
                  "t.pkg(4) : error: option2 names an option the options list does not have"},
        BadScript{"IfNotClosed", kTop + "IF exists(\"x\")\r\n\"a.txt\"-\"!:\\a\"\r\n",
                  "t.pkg(6) : error: Expected ENDIF read end of file"},
        BadScript{"ConditionCutShortAtLineEnd", kTop + "IF exists(\"x\") AND\r\nENDIF\r\n",
                  "t.pkg(4) : error: Expected condition read alphanumeric value 'ENDIF'"},
        BadScript{"VersionRelation", kTop + "IF version(0x1,?,1,1,1)\r\nENDIF\r\n",
                  "t.pkg(4) : error: Expected relation (=, <>, >, <, >= or <=) read unknown "
                  "character '?' (3f)"},
        BadScript{"EmbeddedNotAPackage", kTop + "\r\n@\"a.txt\",(0x1)\r\n",
                  "t.pkg(5) : error: a.txt: not a Symbian 9 package to embed: its first word "
                  "is not 0x10201A7A"}),
    [](const ::testing::TestParamInfo<BadScript>& p) { return std::string(p.param.name); });

}  // namespace
