// A signature line with --unsigned: read and checked, its files looked up like sources, then
// left out: the package is the one the script makes without the line, and standard error
// says so. Without --unsigned, or when the line is wrong, no package.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

using tovrin::test::readFile;
using tovrin::test::TempDir;

const std::string kHeader = "#{\"Demo\"},(0x01000000),1,0,0\r\n";
const std::string kFile = "\"a.txt\"-\"!:\\a.txt\"\r\n";

struct SignatureCase {
    const char* name;
    std::vector<std::string> args;  // before the script's name
    std::string line;               // the signature line, the script's second
    std::string out;                // what standard output must hold
    std::string err;                // all of standard error
};

void PrintTo(const SignatureCase& c, std::ostream* os) { *os << c.name; }

class SignatureLine : public ::testing::TestWithParam<SignatureCase> {};

TEST_P(SignatureLine, IsLeftOutOnlyWhenAllowed) {
    const SignatureCase& c = GetParam();
    TempDir dir;
    dir.write("a.txt", "text");
    dir.write("keys/Demo.key", "key");
    dir.write("keys/Demo.cer", "cert");
    dir.write("t.pkg", kHeader + c.line + "\r\n" + kFile);
    dir.write("plain.pkg", kHeader + kFile);
    std::vector<std::string> args = c.args;
    args.push_back("t.pkg");
    const auto program = tovrin::test::appProgram("bin/makesis.exe");
    const tovrin::test::ProgramRun run = tovrin::test::runProgram(program, args, dir.path());
    EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
    EXPECT_EQ(run.err, c.err);
    const bool built = c.out == "Created t.sis";
    EXPECT_EQ(run.status, built ? 0 : 1);
    if (built) {
        ASSERT_EQ(tovrin::test::runProgram(program, {"plain.pkg"}, dir.path()).status, 0);
        EXPECT_EQ(readFile(dir.path() / "t.sis"), readFile(dir.path() / "plain.sis"));
    } else {
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "t.sis"));
    }
}

const std::string kIgnored = "warning: t.pkg(2): signature line ignored: the package is unsigned\n";

INSTANTIATE_TEST_SUITE_P(
    Lines, SignatureLine,
    ::testing::Values(
        SignatureCase{"KeyAndCertificate",
                      {"--unsigned"},
                      "*\"keys\\Demo.key\",\"keys\\Demo.cer\"",
                      "Created t.sis",
                      kIgnored},
        SignatureCase{"WithPassword",
                      {"--unsigned"},
                      "*\"keys/Demo.key\",\"keys/Demo.cer\",KEY=\"secret\"",
                      "Created t.sis",
                      kIgnored},
        SignatureCase{"FromTheRootInOtherCase",
                      {"--unsigned", "--root", "."},
                      "* \"\\KEYS\\demo.key\" , \"\\keys\\Demo.CER\"",
                      "Created t.sis",
                      kIgnored},
        SignatureCase{"NotAllowed",
                      {},
                      "*\"keys\\Demo.key\",\"keys\\Demo.cer\"",
                      "t.pkg(2) : error: signature lines are not supported: this compiler makes "
                      "unsigned packages only; give --unsigned to build the package without the "
                      "signature, or remove the line starting with '*'",
                      ""},
        SignatureCase{"KeyMissing",
                      {"--unsigned"},
                      "*\"keys\\Other.key\",\"keys\\Demo.cer\"",
                      "t.pkg(2) : error: file not found: keys\\Other.key",
                      ""},
        SignatureCase{"CertificateMissing",
                      {"--unsigned"},
                      "*\"keys\\Demo.key\",\"Demo.cer\"",
                      "t.pkg(2) : error: file not found: Demo.cer",
                      ""},
        SignatureCase{"OnlyAKey",
                      {"--unsigned"},
                      "*\"keys\\Demo.key\",KEY=\"secret\"",
                      "t.pkg(2) : error: Expected quoted string read alphanumeric value 'KEY'",
                      ""},
        SignatureCase{"OtherOption",
                      {"--unsigned"},
                      "*\"keys\\Demo.key\",\"keys\\Demo.cer\",PASS=\"secret\"",
                      "t.pkg(2) : error: Expected KEY read alphanumeric value 'PASS'",
                      ""},
        SignatureCase{
            "Twice",
            {"--unsigned"},
            "*\"keys\\Demo.key\",\"keys\\Demo.cer\"\r\n*\"keys\\Demo.key\",\"keys\\Demo.cer\"",
            "t.pkg(3) : error: a second signature line",
            ""}),
    [](const ::testing::TestParamInfo<SignatureCase>& p) { return std::string(p.param.name); });

}  // namespace
