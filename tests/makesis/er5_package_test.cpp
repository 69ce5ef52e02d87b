// makesis --format er5: the fields of ER5 packages against offsets worked out by hand from the
// format notes (68-byte header, 36-byte simple records, 8-bit strings, raw data), checked
// again by the project's reader; and the scripts the ER5 form cannot carry.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "src/sis/sis_format.h"
#include "src/sis/sis_reader.h"
#include "tests/makesis/library_run.h"
#include "tests/support/temp_dir.h"

namespace {

using tovrin::test::readFile;
using tovrin::test::runInFolder;
using tovrin::test::TempDir;

struct Field {
    size_t at;
    int width;  // 2 or 4
    uint32_t value;
};

struct Er5Case {
    const char* name;
    std::string script;
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<Field> fields;
    size_t stringsAt;
    std::string stringsAndData;  // every byte from stringsAt to the end of the file
};

void PrintTo(const Er5Case& c, std::ostream* os) { *os << c.name; }

// Offsets in file order, grouped by the part of the package they belong to.
// clang-format off
std::vector<Er5Case> er5Cases() {
    return {
        {"OneFile",
         "#{\"Demo\"},(0x01000000),1,0,0\r\n"
         "\"hello.txt\"-\"!:\\System\\Apps\\Demo\\hello.txt\"\r\n",
         {{"hello.txt", "Hello ER5\r\n"}},
         {
             {0x04, 4, 0x1000006D}, {0x0C, 4, 0x37C7D9BF}, {0x12, 2, 1}, {0x14, 2, 1},
             {0x1C, 2, 0},  // installation drive
             {0x20, 4, 100}, {0x24, 2, 0}, {0x26, 2, 0}, {0x30, 4, 0x44}, {0x34, 4, 0x46},
             {0x38, 4, 0x6A}, {0x40, 4, 0x6A},  // names where the requisites would be
             {0x44, 2, 1},                      // EN
             {0x46, 4, 0}, {0x4A, 4, 0}, {0x4E, 4, 0}, {0x52, 4, 9}, {0x56, 4, 0x72},
             {0x5A, 4, 29}, {0x5E, 4, 0x7B}, {0x62, 4, 11}, {0x66, 4, 0x9C},  // 36 bytes
             {0x6A, 4, 4}, {0x6E, 4, 0x98},
         },
         0x72,
         "hello.txt!:\\System\\Apps\\Demo\\hello.txtDemoHello ER5\r\n"},
        {"LanguagesRequisiteOptionsAndCondition",
         "&EN,FR\r\n"
         "#{\"Demo\"<153>,\"D\xC3\xA9mo\"},(0x10005B91),2,3,4,ID,TYPE=SY\r\n"
         "(0x101F6F88),1,0,0,{\"Req\",\"Req FR\"}\r\n"
         "\"about.txt\"-\"\",FT,TA\r\n"
         "{\"en.bin\" \"fr.bin\"}-\"!:\\x.bin\"\r\n"
         "!({\"Yes\",\"Oui\"})\r\n"
         "IF EXISTS(\"c:\\\xC3\xA9\")\r\n"
         "ENDIF\r\n",
         {{"about.txt", "\xC3\xA9\xE2\x82\xAC\r\n"}, {"en.bin", "EN"}, {"fr.bin", "FRA"}},
         {
             {0x12, 2, 2}, {0x14, 2, 5}, {0x16, 2, 1}, {0x1C, 2, 0}, {0x24, 2, 0x0002},
             {0x26, 2, 1}, {0x28, 2, 2}, {0x2A, 2, 3}, {0x2C, 4, 4}, {0x30, 4, 0x44},
             {0x34, 4, 72}, {0x38, 4, 220}, {0x40, 4, 248},
             {0x44, 2, 2}, {0x46, 2, 1},  // FR, EN
             {72, 4, 6},                  // ENDIF
             {76, 4, 3}, {80, 4, 16}, {84, 4, 8}, {88, 4, 12}, {92, 4, 4}, {96, 4, 264},
             {100, 4, 2}, {104, 4, 1}, {108, 4, 3}, {112, 4, 3}, {116, 4, 268}, {120, 4, 271},
             {124, 4, 0xFFFFFFFF},
             // language block, 28 + 8n bytes: forks FR, EN
             {140, 4, 1}, {152, 4, 6}, {156, 4, 274}, {160, 4, 8}, {164, 4, 280},
             {168, 4, 3}, {172, 4, 2}, {176, 4, 315}, {180, 4, 318},
             // FT, TA: the text in Windows-1252
             {184, 4, 0}, {188, 4, 1}, {192, 4, 2}, {196, 4, 9}, {200, 4, 288}, {204, 4, 0},
             {212, 4, 4}, {216, 4, 320},
             {220, 4, 0x101F6F88}, {224, 2, 1}, {232, 4, 6}, {236, 4, 3}, {240, 4, 297},
             {244, 4, 303},
             {248, 4, 4}, {252, 4, 5}, {256, 4, 306}, {260, 4, 310},
         },
         264,
         std::string("c:\\\xE9OuiYesfr.bin!:\\x.binabout.txtReq FRReqD\xE9moDemo\x99") +
             "FRAEN\xE9\x80\r\n"},
    };
}
// clang-format on

class Er5PackageTest : public ::testing::TestWithParam<Er5Case> {};

TEST_P(Er5PackageTest, HoldsTheHandWorkedFields) {
    const Er5Case& c = GetParam();
    TempDir dir;
    dir.write("t.pkg", c.script);
    for (const auto& [name, bytes] : c.files) dir.write(name, bytes);
    const tovrin::test::LibraryRun run = runInFolder(dir.path(), {"--format", "er5", "t.pkg"});
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string sis = readFile(dir.path() / "t.sis");
    ASSERT_EQ(sis.size(), c.stringsAt + c.stringsAndData.size());
    const auto* bytes = reinterpret_cast<const uint8_t*>(sis.data());
    for (const Field& f : c.fields) {
        const uint32_t value =
            f.width == 2 ? tovrin::sis::readU16(bytes + f.at) : tovrin::sis::readU32(bytes + f.at);
        EXPECT_EQ(value, f.value) << "at " << f.at;
    }
    EXPECT_EQ(sis.substr(c.stringsAt), c.stringsAndData);

    tovrin::sis::MemorySource source(sis.data(), sis.size());
    tovrin::sis::Package package;
    std::string error;
    ASSERT_TRUE(tovrin::sis::readPackage(source, &package, &error)) << error;
    EXPECT_FALSE(package.er6);
    EXPECT_FALSE(package.unicode);
    for (const tovrin::sis::Check& check : tovrin::sis::verifyPackage(source, package))
        EXPECT_TRUE(check.ok) << check.what << ": " << check.detail;
}

INSTANTIATE_TEST_SUITE_P(Scripts, Er5PackageTest, ::testing::ValuesIn(er5Cases()),
                         [](const ::testing::TestParamInfo<Er5Case>& p) {
                             return std::string(p.param.name);
                         });

struct Refusal {
    const char* name;
    std::string script;
    std::string error;
};

void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

const std::string kHeader = "#{\"Demo\"},(0x01000000),1,0,0";
const std::string kFile = "\"a.txt\"-\"!:\\a.txt\"";
const std::string kWhy = " cannot be stored in an ER5 package: its strings are Windows-1252";

std::vector<Refusal> refusals() {
    return {
        {"NoCompress", kHeader + ",NC\r\n",
         "t.pkg(1) : error: NC cannot be used in an ER5 package: its file data is always "
         "stored uncompressed"},
        {"ShutDownApps", kHeader + ",SHUTDOWNAPPS\r\n",
         "t.pkg(1) : error: SHUTDOWNAPPS cannot be used in an ER5 package: the option came with "
         "ER6"},
        {"Unicode", kHeader + ",\r\nIU\r\n",
         "t.pkg(2) : error: IU cannot be used in an ER5 package: its strings are 8-bit "
         "(Windows-1252)"},
        {"MimeFile", kHeader + "\r\n" + kFile + ",FM,\"text/plain\"\r\n",
         "t.pkg(2) : error: FM cannot be used in an ER5 package: its file records have no MIME "
         "type"},
        {"Capabilities", kHeader + "\r\n+(5=1)\r\n",
         "t.pkg(2) : error: a capabilities line cannot be used in an ER5 package: it has no "
         "capabilities record"},
        {"NameOutsideTheCodePage", "#{\"\xD0\x96\"},(1),1,0,0\r\n",
         "t.pkg(1) : error: the character U+0416" + kWhy},
        {"SourceOutsideTheCodePage", kHeader + "\r\n\"\xCE\xA9.txt\"-\"!:\\a.txt\"\r\n",
         "t.pkg(2) : error: the character U+03A9" + kWhy},
        {"TargetBeyondTheBasicPlane", kHeader + "\r\n\"a.txt\"-\"!:\\\xF0\x9F\x98\x80\"\r\n",
         "t.pkg(2) : error: the character U+1F600" + kWhy},
        {"TextOutsideTheCodePage", kHeader + "\r\n\"cyr.txt\"-\"\",FT\r\n",
         "t.pkg(2) : error: cyr.txt: the character U+0416 cannot be stored in an ER5 package: "
         "its texts are Windows-1252"},
        {"Er6Component", kHeader + "\r\n\r\n@\"e6.sis\",(0x01000001)\r\n",
         "t.pkg(3) : error: an ER5 package can embed ER5 packages only: this component is an "
         "ER6 package"},
        {"CodeAbove255", "#{\"a\"<0x100>},(1),1,0,0\r\n",
         "t.pkg(1) : error: invalid character value: an 8-bit package takes codes of "
         "Windows-1252 characters, 0 to 255"},
        {"CodeUndefinedInTheCodePage", "#{\"a\"<0x81>},(1),1,0,0\r\n",
         "t.pkg(1) : error: invalid character value: an 8-bit package takes codes of "
         "Windows-1252 characters, 0 to 255"},
    };
}

class Er5RefusalTest : public ::testing::TestWithParam<Refusal> {};

TEST_P(Er5RefusalTest, NamesTheLineAndWritesNoPackage) {
    const Refusal& c = GetParam();
    TempDir dir;
    dir.write("t.pkg", c.script);
    dir.write("a.txt", "a");
    dir.write("cyr.txt", "\xD0\x96\r\n");
    dir.write("e6.sis", std::string("\0\0\0\x01\x12\x3A\0\x10\x19\x04\0\x10", 12));  // UID1-3
    const tovrin::test::LibraryRun run = runInFolder(dir.path(), {"--format", "er5", "t.pkg"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errorLines(), std::vector<std::string>{c.error}) << run.out;
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "t.sis"));
}

INSTANTIATE_TEST_SUITE_P(Scripts, Er5RefusalTest, ::testing::ValuesIn(refusals()),
                         [](const ::testing::TestParamInfo<Refusal>& p) {
                             return std::string(p.param.name);
                         });

}  // namespace
