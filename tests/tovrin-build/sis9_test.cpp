// tovrin-build --format sis9: the 9.x script of a folder, the package signed with the
// certificate given or the user's kept self-signed one, the phone's UID rule for self-signed
// packages, and the options that only a Symbian 9 package has.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "src/platform/path.h"
#include "src/platform/private_file.h"
#include "tests/support/scoped_variable.h"
#include "tests/support/temp_dir.h"
#include "tools/sissign/sissign.h"
#include "tools/tovrin-build/tovrin_build.h"

namespace fs = std::filesystem;
using namespace tovrin;
using test::readFile;

namespace {

const std::string kSep(1, kSeparator);
const std::string kData = std::string(TOVRIN_TEST_DATA_DIR) + "/crypto/";
#ifdef _WIN32
const char kConfigVariable[] = "APPDATA";
const std::string kKept = kSep + "Tovrin" + kSep;
#else
const char kConfigVariable[] = "XDG_CONFIG_HOME";
const std::string kKept = kSep + "tovrin" + kSep;
#endif

struct Result {
    int status;
    std::string out, err;
};

// A project of two files, a destination and a configuration folder of the test's own.
struct Project {
    test::TempDir root;
    std::string project = root.str() + kSep + "proj" + kSep;
    std::string destination = root.str() + kSep + "out" + kSep;
    std::string config = root.str() + kSep + "config";
    test::ScopedVariable configHome{kConfigVariable, config};
    test::ScopedVariable time{"SOURCE_DATE_EPOCH", std::string("1717243200")};
    Project() {
        test::writeFile(project + "readme.txt", "read me");
        test::writeFile(project + "sys" + kSep + "bin" + kSep + "app.txt", "app");
        fs::create_directories(destination);
    }
    Result build(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--format", "sis9", "-n", "Demo", "-d", destination});
        args.push_back(project);
        std::ostringstream out, err;
        const int status = build::run(args, TOVRIN_APP_DIR, {out, err});
        return {status, out.str(), err.str()};
    }
    std::string package() const { return destination + "Demo.sis"; }
};

Result show(const std::string& package) {
    std::ostringstream out, err;
    const int status = sissign::run({"-p", package}, out, err);
    return {status, out.str(), err.str()};
}

// Without --cert the first build makes the user's certificate and says where; later builds
// sign with the same one and say nothing of it.
TEST(Sis9Build, SignsWithTheKeptSelfSignedCertificate) {
    Project p;
    const Result first = p.build({"-u", "E0000001"});
    ASSERT_EQ(first.status, 0) << first.err;
    const std::string certificate = p.config + kKept + "self-signed.cer";
    const std::string key = p.config + kKept + "self-signed.key";
    EXPECT_EQ(first.err, "tovrin-build: made a self-signed certificate to sign with, kept for "
                         "later builds: " + certificate + " (its key: " + key + ")\n");
    EXPECT_EQ(first.out, p.package() + ": " + std::to_string(fs::file_size(p.package())) +
                             " bytes, 3 files\n");
    EXPECT_TRUE(isOwnerOnlyFile(key));
    const Result shown = show(p.package());
    EXPECT_EQ(shown.status, 0) << shown.out << shown.err;
    EXPECT_NE(shown.out.find("1 signature chain\nchain 0 of controller: RSA-SHA1"), std::string::npos);
    EXPECT_NE(shown.out.find("  certificate 0: CN=Tovrin self-signed\n"), std::string::npos)
        << shown.out;
    const std::string kept = readFile(certificate);

    const std::string firstPackage = readFile(p.package());
    const Result second = p.build({"-u", "E0000001", "-q"});
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.out + second.err, "");
    EXPECT_EQ(readFile(certificate), kept);
    // The same files, time and key: the same package (RSA signatures are deterministic).
    EXPECT_TRUE(readFile(p.package()) == firstPackage);
}

TEST(Sis9Build, SignsWithTheCertificateGiven) {
    Project p;
    const Result r = p.build({"-u", "A0000001", "--cert", kData + "rsa-self.pem", "--key",
                              kData + "rsa-pkcs8-aes256.pem", "--password", "tovrin-test"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(fs::exists(p.config));
    const Result shown = show(p.package());
    EXPECT_EQ(shown.status, 0) << shown.out;
    EXPECT_NE(shown.out.find("certificate 0: CN=rsa self,O=Tovrin Tests,C=FI\n"), std::string::npos)
        << shown.out;
    // --uid-from takes a Symbian 9 package's own UID, the third word of its header.
    std::ostringstream out, err;
    ASSERT_EQ(build::run({"--format", "sis9", "--pkg", "--uid-from", p.package(), p.project},
                         TOVRIN_APP_DIR, {out, err}),
              0)
        << err.str();
    EXPECT_NE(out.str().find("#{\"Name\"},(0xA0000001), 1, 0, 0\r\n"), std::string::npos)
        << out.str();
}

struct UidCase {
    const char* name;
    std::string uid;
    std::vector<std::string> signer;  // --cert/--key; empty: the kept self-signed certificate
    bool built;
};

void PrintTo(const UidCase& c, std::ostream* os) { *os << c.name; }

class SelfSignedUid : public ::testing::TestWithParam<UidCase> {};

// Self-signed, a package needs a UID from 80000000 up, and the message says which to use; a
// certificate issued by another may sign a protected UID.
TEST_P(SelfSignedUid, FollowsThePhonesRule) {
    const UidCase& c = GetParam();
    Project p;
    test::writeFile(p.package(), "earlier package");
    std::vector<std::string> args = {"-u", c.uid};
    args.insert(args.end(), c.signer.begin(), c.signer.end());
    const Result r = p.build(args);
    if (c.built) {
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(show(p.package()).status, 0);
        return;
    }
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.substr(r.err.rfind("tovrin-build: UID")),
              "tovrin-build: UID " + c.uid +
                  " is protected: a self-signed package needs a UID from 80000000 to FFFFFFFF "
                  "(A0000000 to AFFFFFFF for programs you give out, E0000000 to EFFFFFFF for "
                  "tests)\n");
    EXPECT_EQ(readFile(p.package()), "earlier package");
}

const std::vector<std::string> kIssued = {"--cert", kData + "chain.der", "--key",
                                          kData + "leaf-key.pem"};
const std::vector<std::string> kSelf = {"--cert", kData + "rsa-self.der", "--key",
                                        kData + "rsa.der"};

INSTANTIATE_TEST_SUITE_P(
    Uids, SelfSignedUid,
    ::testing::Values(UidCase{"Default", "01000000", {}, false},
                      UidCase{"LastProtected", "7FFFFFFF", {}, false},
                      UidCase{"GivenSelfSigned", "20001234", kSelf, false},
                      UidCase{"FirstFree", "80000000", {}, true},
                      UidCase{"TestRange", "e0000001", kSelf, true},
                      UidCase{"IssuedCertificate", "01000000", kIssued, true}));

// A program asking for capabilities beyond those a user may grant gets a warning when the
// package is self-signed, and the package is made all the same.
TEST(Sis9Build, WarnsOfCapabilitiesASelfSignedPackageMayNotHave) {
    struct Case {
        const char* name;
        uint32_t capabilities;  // the image header's bits
        std::vector<std::string> signer;
        bool warned;
    };
    const std::string warning =
        "tovrin-build: warning: !:\\sys\\bin\\app.exe asks for AllFiles, which a self-signed "
        "package may not have: a phone installs it only with a signature from a trusted "
        "authority\n";
    for (const Case& c : {Case{"UserCapabilities", 0x0009E000, {}, false},
                          Case{"AllFilesSelfSigned", 0x0009E800, {}, true},
                          Case{"AllFilesGivenSelfSigned", 0x800, kSelf, true},
                          Case{"AllFilesIssued", 0x800, kIssued, false}}) {
        SCOPED_TRACE(c.name);
        Project p;
        std::string image(0x100, '\0');
        const auto put = [&image](size_t at, uint32_t v) {
            for (int i = 0; i < 4; ++i) image[at + i] = char(v >> (8 * i));
        };
        put(0, 0x1000007A);
        image.replace(0x10, 4, "EPOC");
        put(0x88, c.capabilities);
        test::writeFile(p.project + "sys" + kSep + "bin" + kSep + "app.exe", image);
        std::vector<std::string> args = {"-u", "A0000001", "-q"};
        args.insert(args.end(), c.signer.begin(), c.signer.end());
        const Result r = p.build(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err.find(warning) != std::string::npos, c.warned) << r.err;
        EXPECT_TRUE(fs::exists(p.package()));
    }
}

TEST(Sis9Build, ScriptOfTheFolder) {
    Project p;
    std::ostringstream out, err;
    const int status = build::run({"--format", "sis9", "--pkg", "-n", "Demo", "-u", "A0000001",
                                   "-V", "2.1.3", "-l", "FR", "--vendor", "Jo Maker",
                                   "--platform", "0x1028315F", p.project},
                                  TOVRIN_APP_DIR, {out, err});
    ASSERT_EQ(status, 0) << err.str();
    const std::string project = fs::absolute(p.project).lexically_normal().string();
    EXPECT_EQ(out.str(),
              "&FR\r\n\r\n#{\"Demo\"},(0xA0000001), 2, 1, 3\r\n\r\n%{\"Jo Maker\"}\r\n"
              ":\"Jo Maker\"\r\n[0x1028315F], 0, 0, 0, {\"Series60ProductID\"}\r\n"
              "\"AboutInstaller.txt\" - \"\",FT,TC\r\n\"" +
                  project + "readme.txt\"-\"!:\\readme.txt\"\r\n\"" + project + "sys" + kSep +
                  "bin" + kSep + "app.txt\"-\"!:\\sys\\bin\\app.txt\"\r\n");
    // Nothing is made for a script alone.
    EXPECT_FALSE(fs::exists(p.config));
}

// A key that is not the certificate's fails the build before anything is written.
TEST(Sis9Build, WrongKeyKeepsTheEarlierPackage) {
    Project p;
    test::writeFile(p.package(), "earlier package");
    const Result r = p.build({"-u", "A0000001", "--cert", kData + "rsa-self.pem", "--key",
                              kData + "dsa-pkcs8.pem"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tovrin-build: " + kData + "dsa-pkcs8.pem: the key does not match the "
                     "certificate of " + kData + "rsa-self.pem\n");
    EXPECT_EQ(readFile(p.package()), "earlier package");
    EXPECT_EQ(test::folderNames(p.destination), std::vector<std::string>{"Demo.sis"});
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    std::string message;
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class Sis9Usage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(Sis9Usage, ExitsTwo) {
    std::ostringstream out, err;
    std::vector<std::string> args = GetParam().args;
    args.push_back("proj");
    EXPECT_EQ(build::run(args, TOVRIN_APP_DIR, {out, err}), 2);
    EXPECT_EQ(err.str().substr(0, err.str().find('\n') + 1),
              "tovrin-build: " + GetParam().message + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Options, Sis9Usage,
    ::testing::Values(
        UsageCase{"VendorWithoutFormat", {"--vendor", "Jo"},
                  "--vendor, --platform, --cert, --key and --password need --format sis9"},
        UsageCase{"UnknownFormat", {"--format", "sis8"}, "--format takes er6 (the default) or sis9"},
        UsageCase{"CertWithoutKey", {"--format", "sis9", "--cert", "c.pem"},
                  "--cert and --key go together"},
        UsageCase{"PasswordWithoutKey", {"--format", "sis9", "--password", "p"},
                  "--password is that of --key"},
        UsageCase{"PlatformNotHex", {"--format", "sis9", "--platform", "0x12G4"},
                  "--platform takes a UID, up to 8 hexadecimal digits"},
        UsageCase{"QuoteInVendor", {"--format", "sis9", "--vendor", "Jo \"M\""},
                  "--vendor takes no '\"' nor control character"}));

}  // namespace
