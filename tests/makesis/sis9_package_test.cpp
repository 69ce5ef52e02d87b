// Symbian 9 packages from scripts: the known answer of a hand-built package, which scripts are
// Symbian 9 ones, the fields each statement stores, stubs, the creation time, embedded
// packages and their data units, and errors at their line.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "src/sis/crc.h"
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

// A field as the format lays it out: type, length, body, zero padding to 4.
std::string field(uint32_t type, const std::string& body) {
    std::string out = le32(type) + le32(uint32_t(body.size())) + body;
    while (out.size() % 4) out.push_back('\0');
    return out;
}

std::string utf16(const std::string& ascii) {
    std::string out;
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
}

std::string string(const std::string& ascii) { return field(1, utf16(ascii)); }
std::string number(int32_t v) { return field(29, le32(16) + le32(uint32_t(v))); }
std::string expr(uint32_t op, int32_t v, const std::string& members = {}) {
    return field(29, le32(op) + le32(uint32_t(v)) + members);
}

struct Built {
    LibraryRun run;
    std::string package;
    std::string controller;  // the whole Controller field, expanded
};

// The controller of a package: the Compressed field after the two checksums (offset 0x30).
std::string expandController(const std::string& package) {
    if (package.size() < 0x44 || u32(package, 0x30) != 3) return {};
    const uint64_t size = u32(package, 0x3C);
    std::string out(size, '\0');
    uLongf length = static_cast<uLongf>(size);
    const std::string stored = package.substr(0x44, u32(package, 0x34) - 12);
    if (u32(package, 0x38) == 0) return stored;
    if (uncompress(reinterpret_cast<Bytef*>(&out[0]), &length,
                   reinterpret_cast<const Bytef*>(stored.data()), uLong(stored.size())) != Z_OK) {
        return {};
    }
    return out;
}

Built build(const TempDir& dir, const std::string& script, std::vector<std::string> args = {}) {
    dir.write("t.pkg", script);
    args.push_back("t.pkg");
    Built b;
    b.run = runInFolder(dir.path(), args);
    b.package = readFile(dir.path() / "t.sis");
    b.controller = expandController(b.package);
    return b;
}

const std::string kTop = "&EN\r\n#{\"Demo\"},(0xE0000001),1,0,0\r\n%{\"Demo\"}\r\n:\"Demo\"\r\n";
const std::string kTime = "--time";

// The document's one-file package, deflated: every byte fixed by its creation time.
TEST(Sis9KnownAnswer, OneFilePackage) {
    TempDir dir;
    dir.write("hello.txt", "Hello\n");
    const Built b = build(dir,
                          kTop + "[0x101F7961],0,0,0,{\"Series60ProductID\"}\r\n"
                                 "\"hello.txt\"-\"!:\\private\\E0000001\\hello.txt\"\r\n",
                          {kTime, "2024-06-01T12:00:00"});
    ASSERT_EQ(b.run.status, 0) << b.run.out;
    ASSERT_EQ(b.package.size(), 408u);
    EXPECT_EQ(u32(b.package, 0x0C), 0x65F2F81Bu);
    EXPECT_EQ(u32(b.package, 0x20), 0x30DFu);  // controller checksum
    EXPECT_EQ(u32(b.package, 0x2C), 0xB535u);  // data checksum
    // The stored variant holds the same controller as is: its CRC is the document's 0x7D86.
    ASSERT_EQ(b.controller.size(), 0x224u);
    const std::string stored =
        field(3, le32(0) + le32(0x224) + le32(0) + b.controller);
    EXPECT_EQ(tovrin::sis::crc16(stored.data(), stored.size()), 0x7D86);
    EXPECT_NE(b.run.out.find("sissign t.sis t.sisx"), std::string::npos) << b.run.out;
}

struct Detection {
    const char* name;
    std::string script;
    std::vector<std::string> args;
    int status;
    bool sis9;
    std::string error;
};

void PrintTo(const Detection& c, std::ostream* os) { *os << c.name; }

class Sis9DetectionTest : public ::testing::TestWithParam<Detection> {};

TEST_P(Sis9DetectionTest, BuildsTheRightFormat) {
    const Detection& c = GetParam();
    TempDir dir;
    dir.write("a.txt", "text");
    const Built b = build(dir, c.script, c.args);
    EXPECT_EQ(b.run.status, c.status) << b.run.out;
    if (c.status == 0) {
        EXPECT_EQ(b.package.size() >= 4 && u32(b.package, 0) == 0x10201A7A, c.sis9);
    } else {
        ASSERT_EQ(b.run.errorLines().size(), 1u) << b.run.out;
        EXPECT_EQ(b.run.errorLines()[0], c.error);
    }
}

const std::string kPre9 = "#{\"Demo\"},(0x10000001),1,0,0\r\n\"a.txt\"-\"!:\\a.txt\"\r\n";

INSTANTIATE_TEST_SUITE_P(
    Scripts, Sis9DetectionTest,
    ::testing::Values(
        Detection{"Pre9Script", kPre9, {}, 0, false, ""},
        Detection{"VendorNames", "%{\"V\"}\r\n:\"V\"\r\n" + kPre9, {}, 0, true, ""},
        Detection{"UniqueVendorOnly", kPre9 + ":\"V\"\r\n", {}, 0, true, ""},
        Detection{"PlatformInBrackets", kPre9 + ":\"V\"\r\n[0x101F7961],0,0,0,{\"S60\"}\r\n",
                  {}, 0, true, ""},
        Detection{"FormatSis9", kPre9 + ":\"V\"\r\n", {"--format", "sis9"}, 0, true, ""},
        Detection{"FormatSis9WithoutVendor", kPre9, {"--format=sis9"}, 1, true,
                  "t.pkg(3) : error: the unique vendor name is missing: a Symbian 9 package "
                  "needs a line :\"Vendor\""},
        Detection{"Er6Refuses", kPre9 + "\r\n%{\"V\"}\r\n", {"--format", "er6"}, 1, false,
                  "t.pkg(4) : error: a statement of Symbian 9 scripts in a script built with "
                  "--format er6: build it with --format sis9"},
        Detection{"Er5Refuses", "[0x101F7961],0,0,0,{\"S60\"}\r\n" + kPre9, {"--format", "er5"},
                  1, false,
                  "t.pkg(1) : error: a statement of Symbian 9 scripts in a script built with "
                  "--format er5: build it with --format sis9"}),
    [](const ::testing::TestParamInfo<Detection>& p) { return std::string(p.param.name); });

// Each statement kind: the script lines after the language line, and pieces the controller
// must hold, made here by hand from the layout.
struct Stored {
    const char* name;
    std::string lines;
    std::vector<std::string> expected;
    std::vector<std::string> options = {};
};

void PrintTo(const Stored& c, std::ostream* os) { *os << c.name; }

class Sis9StoredFieldsTest : public ::testing::TestWithParam<Stored> {};

// An E32 image header of a program asking for the five user capabilities.
std::string executable() {
    std::string image(0x100, '\0');
    image.replace(0, 4, le32(0x1000007A));
    image.replace(0x10, 4, "EPOC");
    image.replace(0x88, 4, le32(0x0009E000));
    return image;
}

TEST_P(Sis9StoredFieldsTest, ControllerHoldsTheFields) {
    const Stored& c = GetParam();
    TempDir dir;
    dir.write("a.txt", "text");
    dir.write("b.txt", "other");
    dir.write("e.exe", executable());
    const std::string top = c.lines.rfind("&", 0) == 0 ? "" : "&EN\r\n";
    std::vector<std::string> options = {kTime, "2020-01-02T03:04:05"};
    options.insert(options.end(), c.options.begin(), c.options.end());
    const Built b = build(dir, top + c.lines, options);
    ASSERT_EQ(b.run.status, 0) << b.run.out;
    ASSERT_FALSE(b.controller.empty());
    for (size_t i = 0; i < c.expected.size(); ++i) {
        EXPECT_NE(b.controller.find(c.expected[i]), std::string::npos) << "piece " << i;
    }
}

const std::string kHead = "#{\"D\"},(0xE0000001),1,2,3\r\n:\"V\"\r\n";
const std::string kEmptyHash = field(25, le32(1) + field(37, ""));

// An array element: a field without its type word.
std::string element(uint32_t type, const std::string& body) { return field(type, body).substr(4); }
std::string strings(const std::vector<std::string>& texts) {
    std::string body = le32(1);
    for (const std::string& t : texts) body += element(1, utf16(t));
    return field(2, body);
}
std::string languageEquals(uint32_t code) {
    return expr(1, 0, expr(15, 0x1000) + number(int32_t(code)));
}
std::string hex(const char* digits) {
    std::string out;
    for (const char* p = digits; p[0] && p[1]; p += 2) {
        out.push_back(char(std::strtoul(std::string(p, 2).c_str(), nullptr, 16)));
    }
    return out;
}
const std::string kTextHash = hex("372ea08cab33e71c02c651dbc83a474d32c676ea");
const std::string kIf = "\r\n\"a.txt\"-\"!:\\a\"\r\nENDIF\r\n";

INSTANTIATE_TEST_SUITE_P(
    Statements, Sis9StoredFieldsTest,
    ::testing::Values(
        Stored{"LanguagesAndDialect",
               "&EN,FI,ZH,32,EN(10)\r\n#{\"a\",\"b\",\"c\",\"d\",\"e\"},(0xE0000001),1,0,0\r\n"
               ":\"V\"\r\n",
               {field(15, field(2, le32(11) + element(11, le32(1)) + element(11, le32(9)) +
                                       element(11, le32(31)) + element(11, le32(32)) +
                                       element(11, le32(10))))}},
        Stored{"HeaderVersionTypeAndFlags",
               "#{\"D\"},(0xE0000001),4,01,0000,TYPE=PA,NR,RU,IU,SH\r\n:\"V\"\r\n",
               {field(4, le32(4) + le32(1) + le32(0)) +
                field(8, field(6, std::string("\xe4\x07\x00\x02", 4)) +
                             field(7, std::string("\x03\x04\x05", 3))) +
                std::string("\x03\x05", 2)}},
        Stored{"VendorNames",
               "&EN,FI\r\n#{\"a\",\"b\"},(0xE0000001),1,0,0\r\n%{\"X\",\"Y\"}\r\n:\"U\"\r\n",
               {string("U") + strings({"a", "b"}) + strings({"X", "Y"})}},
        Stored{"PlatformWithRange",
               kHead + "[0x101F7961],0,0,0~*,*,*,{\"S60\"}\r\n",
               {field(17, field(2, le32(18) +
                                       element(18, field(9, le32(0x101F7961)) +
                                                       field(5, field(4, le32(0) + le32(0) +
                                                                             le32(0)) +
                                                                    field(4, le32(-1) + le32(-1) +
                                                                                 le32(-1))) +
                                                       strings({"S60"}))) +
                              field(2, le32(18)))}},
        Stored{"PackageDependency",
               kHead + "(0x2001E61C),4,7,4,{\"Qt\"}\r\n",
               {field(2, le32(18)) +
                field(2, le32(18) + element(18, field(9, le32(0x2001E61C)) +
                                                    field(5, field(4, le32(4) + le32(7) +
                                                                          le32(4))) +
                                                    strings({"Qt"})))}},
        Stored{"Properties",
               kHead + "+(0=2,1=-3)\r\n",
               {field(19, field(2, le32(20) + element(20, le32(0) + le32(2)) +
                                       element(20, le32(1) + le32(uint32_t(-3)))))}},
        Stored{"OptionsList",
               "&EN,FI\r\n#{\"a\",\"b\"},(0xE0000001),1,0,0\r\n:\"V\"\r\n"
               "!({\"o1\",\"p1\"},{\"o2\",\"p2\"})\r\n",
               {field(16, field(2, le32(33) + element(33, strings({"o1", "p1"})) +
                                       element(33, strings({"o2", "p2"}))))}},
        Stored{"FileRunInstallRemoveWait",
               kHead + "\"a.txt\"-\"!:\\a.exe\",FR,RI,RR,RW\r\n",
               {field(25, le32(1) + field(37, kTextHash)) + le32(2) + le32(22) + le32(4) +
                le32(0) + le32(4) + le32(0) + le32(0)}},
        Stored{"FileTextAbortDropsTarget",
               kHead + "\"a.txt\"-\"x\",FT,TA\r\n",
               {field(24, string("") + string("") + field(25, le32(1) + field(37, kTextHash)) +
                              le32(4) + le32(0x800) + le32(4) + le32(0) + le32(4) + le32(0) +
                              le32(0))}},
        Stored{"FileNullAndSystemFolder",
               kHead + "\"a.txt\"-\"!:\\sys\\bin\\a.dll\"\r\n\"\"-\"c:\\data\\x.ini\",FILENULL\r\n",
               {kEmptyHash + le32(8) + le32(0) + std::string(16, '\0') + le32(0),
                le32(1) + le32(0x8000) + le32(4) + le32(0)}},
        Stored{"SystemFolderUnmarked",
               kHead + "\"a.txt\"-\"!:\\resource\\a.rsc\"\r\n",
               {le32(1) + le32(0) + le32(4) + le32(0)},
               {"--no-system-mark"}},
        Stored{"FileMime",
               kHead + "\"a.txt\"-\"!:\\a.txt\",FM,\"text/plain\"\r\n",
               {string("!:\\a.txt") + string("text/plain")}},
        Stored{"LanguageBlockIsAnIfChain",
               "&EN,FI\r\n#{\"a\",\"b\"},(0xE0000001),1,0,0\r\n:\"V\"\r\n"
               "\"a.txt\"-\"!:\\first\"\r\n{\"a.txt\" \"b.txt\"}-\"!:\\r.rsc\"\r\n",
               {languageEquals(1) + le32(28), le32(27), languageEquals(9) + le32(28),
                le32(0) + le32(0) + le32(4) + le32(0) + le32(4) + le32(0) + le32(1),
                le32(0) + le32(0) + le32(5) + le32(0) + le32(5) + le32(0) + le32(2),
                field(2, le32(27)).substr(0, 4)}},
        Stored{"ElseIsNotZero",
               kHead + "!({\"o1\"})\r\nIF option1\r\n\"a.txt\"-\"!:\\a\"\r\nELSEIF NOT option1\r\n"
                       "\"a.txt\"-\"!:\\b\"\r\nELSE\r\n\"b.txt\"-\"!:\\c\"\r\nENDIF\r\n",
               {expr(14, 1) + le32(28), expr(9, 0, expr(14, 1)) + le32(28),
                expr(9, 0, number(0)) + le32(28)}},
        Stored{"OptionNumber",
               kHead + "!({\"o1\"},{\"o2\"})\r\nIF (option2)=(1)" + kIf,
               {expr(1, 0, expr(14, 2) + number(1))}},
        Stored{"RelationsAndLogic",
               kHead + "IF MachineUID<>0x20022E6D AND NOT (Language>=5 OR CPU<=2)" + kIf,
               {expr(7, 0, expr(2, 0, expr(15, 5) + number(0x20022E6D)) +
                               expr(9, 0, expr(8, 0, expr(5, 0, expr(15, 0x1000) + number(5)) +
                                                         expr(6, 0, expr(15, 8) + number(2)))))}},
        Stored{"ExistsPackageAppprop",
               kHead + "IF exists(\"c:\\x.txt\") OR package(0x1028315F) OR "
                       "appprop(0x2000713E,3)>\"s\"" + kIf,
               {expr(8, 0, expr(8, 0, expr(10, 0, string("c:\\x.txt")) +
                                          expr(12, 0, number(0x1028315F))) +
                               expr(3, 0, expr(11, 0, number(0x2000713E) + number(3)) +
                                              expr(13, 0, string("s"))))}},
        Stored{"VersionAndSupportedLanguage",
               kHead + "IF version(0x10000042,<,1,1,1) AND supported_language = 3" + kIf,
               {expr(7, 0,
                     expr(10, 0, string("\\sys\\install\\pkgversion\\?0x10000042,LT,1,1,1")) +
                         expr(10, 0, string("\\sys\\install\\supportedlanguage\\?3")))}},
        Stored{"ExecutableCapabilities",
               kHead + "\"e.exe\"-\"!:\\sys\\bin\\e.exe\"\r\n\"a.txt\"-\"!:\\a.txt\"\r\n",
               {string("") + field(41, le32(0x0009E000)) + le32(25),
                string("!:\\a.txt") + string("") + le32(25)}},
        Stored{"Logo",
               kHead + "=\"a.txt\",\"image/png\",\"\"\r\n",
               {field(23, field(24, string("") + string("image/png") +
                                        field(25, le32(1) + field(37, kTextHash)) + le32(1) +
                                        le32(0) + le32(4) + le32(0) + le32(4) + le32(0) +
                                        le32(0)))}}),
    [](const ::testing::TestParamInfo<Stored>& p) { return std::string(p.param.name); });

}  // namespace
