// Scripts with one fault each: the exact error lines (with their script line), exit status 1,
// and no package.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/makesis/library_run.h"
#include "tests/support/temp_dir.h"

namespace {

using tovrin::test::TempDir;

struct BadScript {
    const char* name;
    std::string script;
    std::vector<std::string> errors;
};

void PrintTo(const BadScript& c, std::ostream* os) { *os << c.name; }

const std::string kHeader = "#{\"Demo\"},(0x01000000),1,0,0\r\n";
const std::string kFile = "\"a.txt\"-\"!:\\a.txt\"\r\n";

std::vector<BadScript> badScripts() {
    return {
        {"SignatureLine",
         kHeader + "*\"key.pem\",\"cert.cer\"\r\n" + kFile,
         {"t.pkg(2) : error: signature lines are not supported: this compiler makes unsigned "
          "packages only; give --unsigned to build the package without the signature, or "
          "remove the line starting with '*'"}},
        {"EmptyScript",
         "",
         {"t.pkg(1) : error: the script is empty: it has no installation header"}},
        {"OnlyComments",
         "; one\r\n; two\r\n",
         {"t.pkg(3) : error: the script is empty: it has no installation header"}},
        {"NoHeader", kFile, {"t.pkg(1) : error: the installation header has not been defined"}},
        {"HeaderTwice", kHeader + kHeader, {"t.pkg(2) : error: installation header already found"}},
        {"LanguageAfterHeader",
         kHeader + "&EN\r\n",
         {"t.pkg(2) : error: the languages have already been defined"}},
        {"HexUidWithoutDigits",
         "#{\"Demo\"},(0xZZ), 1, 0, 0\r\n",
         {"t.pkg(1) : error: Expected ) read alphanumeric value 'ZZ'",
          "t.pkg(1) : error: unexpected text"}},
        {"UidOver32Bits",
         "#{\"Demo\"},(0x100000000),1,0,0\r\n",
         {"t.pkg(1) : error: number out of range (it must fit in 32 bits)"}},
        {"UidMissing",
         "#{\"Demo\"},(),1,0,0\r\n",
         {"t.pkg(1) : error: Expected numeric value read )", "t.pkg(1) : error: unexpected text"}},
        {"EmptyVersion",
         "#{\"Demo\"},(0x01000000), , , \r\n",
         {"t.pkg(1) : error: Expected numeric value read ,", "t.pkg(1) : error: unexpected text"}},
        {"UnknownLanguage", "&XY\r\n" + kHeader, {"t.pkg(1) : error: unknown language specified"}},
        {"OneLetterLanguage",
         "\r\n&F\r\n" + kHeader,
         {"t.pkg(2) : error: unknown language specified"}},
        {"LanguageNumberTooLarge",
         "&1001\r\n" + kHeader,
         {"t.pkg(1) : error: unknown language specified: a language number is 0 to 1000"}},
        {"LanguageTwice",
         "&EN,FR,en\r\n" + kHeader,
         {"t.pkg(1) : error: a language is given twice"}},
        {"TooFewNames",
         "&EN,FR\r\n" + kHeader,
         {"t.pkg(2) : error: Expected , read }", "t.pkg(2) : error: unexpected text"}},
        {"QuoteInName",
         "#{\"a\"b\"},(0x01000000),1,0,0\r\n" + kFile,
         {"t.pkg(1) : error: Expected } read alphanumeric value 'b'",
          "t.pkg(1) : error: unexpected text"}},
        {"UnterminatedQuote",
         kHeader + "\"a.txt\"-\"!:\\a.txt\r\n",
         {"t.pkg(2) : error: unterminated string: a closing \" is missing on this line"}},
        {"MissingFile",
         kHeader + kFile + "\r\n\"absent.txt\"-\"!:\\b.txt\"\r\n",
         {"t.pkg(4) : error: file not found: absent.txt"}},
        {"EmptySource",
         kHeader + "\"\"-\"!:\\b.txt\"\r\n",
         {"t.pkg(2) : error: no source file given"}},
        {"UnknownFileOption",
         kHeader + "\"a.txt\"-\"!:\\a.txt\",FX\r\n",
         {"t.pkg(2) : error: invalid option 'FX': unknown file option"}},
        {"TwoFileTypes",
         kHeader + "\"a.txt\"-\"!:\\a.txt\",FF,FR\r\n",
         {"t.pkg(2) : error: invalid option 'FR': a file has only one type"}},
        {"TextOptionWithoutFT",
         kHeader + "\"a.txt\"-\"!:\\a.txt\",TC\r\n",
         {"t.pkg(2) : error: invalid option: TC, TS, TA and TE go with FT only"}},
        {"RunRemoveWithoutWait",
         kHeader + "\"a.txt\"-\"!:\\a.txt\",FR,RR\r\n",
         {"t.pkg(2) : error: RW/RUNWAITEND option required with RR/RUNREMOVE or RB/RUNBOTH "
          "options"}},
        {"HeaderOptionID",
         "#{\"Demo\"},(1),1,0,0,ID\r\n",
         {"t.pkg(1) : error: invalid option 'ID' in the header"}},
        {"UnknownPackageType",
         "#{\"Demo\"},(1),1,0,0,TYPE=XX\r\n",
         {"t.pkg(1) : error: invalid option: unknown package type 'XX' (SA, SY, SO, SC, SP or "
          "SU)"}},
        {"PatchWithoutOwnRequisite",
         "#{\"Demo\"},(1),1,0,0,TYPE=SP\r\n" + kFile,
         {"t.pkg(1) : error: missing main component dependency: this package type needs a "
          "requisite line with the package's own UID"}},
        {"DestinationStartsWithColon",
         kHeader + "\"a.txt\"-\":\\a.txt\"\r\n",
         {"t.pkg(2) : error: bad destination path for file: it starts with ':'"}},
        {"CharacterCodeInC1Range",
         "#{\"Demo\"<153>},(1),1,0,0\r\n",
         {"t.pkg(1) : error: invalid UNICODE character value"}},
        {"IfWithoutEndif",
         kHeader + "IF Language=1\r\n" + kFile,
         {"t.pkg(4) : error: Expected ENDIF read end of file",
          "t.pkg(4) : error: unexpected text"}},
        {"EndifWithoutIf", kHeader + kFile + "ENDIF\r\n", {"t.pkg(3) : error: ENDIF without IF"}},
        {"ElseIfAfterElse",
         kHeader + "IF Language=1\r\nELSE\r\nELSEIF Language=2\r\nENDIF\r\n",
         {"t.pkg(4) : error: ELSEIF after ELSE"}},
        {"UnknownVariable",
         kHeader + "IF Colour=1\r\nENDIF\r\n",
         {"t.pkg(2) : error: unknown variable name 'Colour'"}},
        {"ExistsWithoutBrackets",
         kHeader + "IF EXISTS \"c:\\x\"\r\nENDIF\r\n",
         {"t.pkg(2) : error: Expected ( read quoted string", "t.pkg(2) : error: unexpected text"}},
        {"ComparisonCutShortAtLineEnd",
         kHeader + "IF Language=\r\nENDIF\r\n",
         {"t.pkg(2) : error: Expected condition read alphanumeric value 'ENDIF'",
          "t.pkg(2) : error: unexpected text"}},
        {"BareConditionCutShortAtLineEnd",
         kHeader + "IF option1 AND\r\nENDIF\r\n",
         {"t.pkg(2) : error: Expected condition read alphanumeric value 'ENDIF'",
          "t.pkg(2) : error: unexpected text"}},
        {"BracketLeftOpenAtLineEnd",
         kHeader + "IF (option1\r\n" + kFile + "ENDIF\r\n",
         {"t.pkg(2) : error: Expected ) read quoted string", "t.pkg(2) : error: unexpected text"}},
        {"LaterFormatWithoutUniqueVendor",
         kHeader + "%{\"Vendor\"}\r\n",
         {"t.pkg(3) : error: the unique vendor name is missing: a Symbian 9 package needs a "
          "line :\"Vendor\""}},
        {"TooManyOptions",
         kHeader + "!(" +
             [] {
                 std::string list;
                 for (int i = 0; i < 129; ++i) list += std::string(i ? "," : "") + "{\"o\"}";
                 return list;
             }() +
             ")\r\n",
         {"t.pkg(2) : error: too many options (at most 128)"}},
    };
}

class BadScriptTest : public ::testing::TestWithParam<BadScript> {};

TEST_P(BadScriptTest, ReportsTheErrorAndWritesNoPackage) {
    const BadScript& bad = GetParam();
    TempDir dir;
    dir.write("t.pkg", bad.script);
    dir.write("a.txt", "text\r\n");
    const tovrin::test::LibraryRun run = tovrin::test::runInFolder(dir.path(), {"t.pkg"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errorLines(), bad.errors) << run.out;
    EXPECT_EQ(run.out.rfind("Processing t.pkg...\n", 0), 0u) << run.out;
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "t.sis"));
}

INSTANTIATE_TEST_SUITE_P(Scripts, BadScriptTest, ::testing::ValuesIn(badScripts()),
                         [](const ::testing::TestParamInfo<BadScript>& p) {
                             return std::string(p.param.name);
                         });

TEST(BadScriptDetail, UnknownLanguageListsTheCodes) {
    TempDir dir;
    dir.write("t.pkg", "&XY\r\n" + kHeader);
    const tovrin::test::LibraryRun run = tovrin::test::runInFolder(dir.path(), {"t.pkg"});
    EXPECT_NE(run.out.find("EN - UK English"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("BF - Belgian French"), std::string::npos) << run.out;
}

}  // namespace
