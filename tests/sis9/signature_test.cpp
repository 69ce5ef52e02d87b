// Signatures of packages signed here with the test keys: each chain over exactly its bytes,
// every certificate judged, the user's lines about expiry and capabilities.
#include <gtest/gtest.h>

#include "src/crypto/private_key.h"
#include "src/sis/byte_source.h"
#include "src/sis9/signature_report.h"
#include "src/sis9/signature_text.h"
#include "tests/crypto/test_data.h"
#include "tests/sis9/package_writer.h"

namespace tovrin::sis9 {
namespace {

using test::Bytes;

// A day on which the test certificates made by make.sh are valid (all were made at one time,
// for ten years), and one on which only expired.pem was.
int64_t validDay() {
    std::vector<crypto::Bytes> certificates;
    crypto::CertificateInfo info;
    std::string err;
    if (!crypto::loadCertificateFile(test::cryptoData("ca.pem"), &certificates, &err) ||
        certificates.empty() || !crypto::decodeCertificate(certificates[0], &info, &err)) {
        ADD_FAILURE() << "ca.pem: " << err;
    }
    return info.notBefore + 86400;
}
constexpr int64_t k2001 = 978307200 + 86400 * 150;

struct Signer {
    const char* key;
    const char* certificate;  // a PEM or DER file: every certificate in it, in file order
    const char* oid = kOidRsaSha1;
};

std::function<Bytes(const Bytes&)> signer(const Signer& s) {
    return [s](const Bytes& data) {
        crypto::PrivateKey key;
        std::string err;
        EXPECT_TRUE(crypto::loadPrivateKey(test::cryptoData(s.key), "", &key, &err)) << err;
        crypto::Bytes signature;
        EXPECT_TRUE(crypto::signData(key, data.data(), data.size(), &signature, &err)) << err;
        std::vector<crypto::Bytes> certificates;
        crypto::loadCertificateFile(test::cryptoData(s.certificate), &certificates, &err);
        Bytes chain;
        for (const auto& c : certificates) chain.insert(chain.end(), c.begin(), c.end());
        return test::chainField9(s.oid, signature, chain);
    };
}

struct Result {
    Package package;
    std::vector<ChainResult> chains;
    Verification verification;
};

Result verify(const Bytes& bytes, int64_t now) {
    Result r;
    sis::MemorySource source(bytes.data(), bytes.size());
    std::string err;
    EXPECT_TRUE(readPackage(source, &r.package, &err)) << err;
    r.verification = verifyPackage(source, r.package);
    r.chains = verifySignatures(r.package, now);
    addSignatureChecks(r.package, r.chains, &r.verification);
    return r;
}

std::string warnings(const Verification& v) {
    std::string s;
    for (const Check& c : v.checks) {
        if (c.status != Status::Ok) s += c.what + ": " + c.detail + "\n";
    }
    return s;
}

const Signer kRsa{"rsa-pkcs8.pem", "rsa-self.der"};
const Signer kDsa{"dsa-pkcs8.pem", "dsa-self.der", kOidDsaSha1};
const Signer kLeaf{"leaf-key.pem", "chain.der"};
const Signer kExpired{"rsa-pkcs8.pem", "expired.pem"};

TEST(Sis9Signatures, EachChainVerifiesOverItsOwnBytes) {
    struct Case {
        const char* name;
        std::vector<Signer> signers;
        bool embeddedSigned;
        int64_t now;
        std::vector<bool> verified;  // per chain, the top controller's first
        const char* problems;        // the checks that are not ok, in order
    };
    const int64_t kValid = validDay();
    const Case kCases[] = {
        {"RSA, self-signed", {kRsa}, false, kValid, {true},
         "controller/install block/file 0: asks for AllFiles, which a self-signed package may "
         "not have: a phone installs it only with a signature from a trusted authority\n"},
        {"DSA, self-signed, its blob padded", {kDsa}, false, kValid, {true},
         "controller/install block/file 0: asks for AllFiles, which a self-signed package may "
         "not have: a phone installs it only with a signature from a trusted authority\n"},
        {"a leaf and its CA", {kLeaf}, false, kValid, {true}, ""},
        {"two chains, the second over the first", {kLeaf, kDsa}, false, kValid, {true, true}, ""},
        {"an embedded package's own chain", {kLeaf}, true, kValid, {true, true}, ""},
        {"an expired certificate", {kExpired}, false, kValid, {true},
         "controller/chain 0/certificate 0: signed by CN=expired, certificate expired on "
         "2002-01-01: a phone refuses to install it unless its date is set back\n"
         "controller/install block/file 0: asks for AllFiles, which a self-signed package may "
         "not have: a phone installs it only with a signature from a trusted authority\n"},
        {"the same on a day it was valid", {kExpired}, false, k2001, {true},
         "controller/install block/file 0: asks for AllFiles, which a self-signed package may "
         "not have: a phone installs it only with a signature from a trusted authority\n"},
        {"an algorithm that cannot be verified", {{"rsa-pkcs8.pem", "rsa-self.der", "1.2.840.113549.1.1.4"}},
         false, kValid, {false},
         "controller/chain 0: unsupported signature by CN=rsa self,O=Tovrin Tests,C=FI: "
         "algorithm 1.2.840.113549.1.1.4 cannot be verified\n"
         "controller/install block/file 0: asks for AllFiles, which a self-signed package may "
         "not have: a phone installs it only with a signature from a trusted authority\n"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        test::Package9 p;
        p.controller.files = {{"!:\\sys\\bin\\a.exe", "MZ", kOpInstall, 0, true, 1 << 11}};
        for (const Signer& s : c.signers) p.controller.signers.push_back(signer(s));
        if (c.embeddedSigned) {
            test::Controller9 inner;
            inner.uid = 0xE0000002;
            inner.files = {{"!:\\b.txt", "b"}};
            inner.signers = {signer(kDsa)};
            p.controller.embedded = {inner};
        }
        const Result r = verify(test::writePackage9(p), c.now);
        ASSERT_EQ(r.chains.size(), c.verified.size());
        for (size_t i = 0; i < r.chains.size(); ++i) {
            EXPECT_EQ(r.chains[i].verified, c.verified[i]) << i << ": " << r.chains[i].error;
        }
        EXPECT_EQ(warnings(r.verification), c.problems);
        EXPECT_EQ(r.verification.verified(), c.verified == std::vector<bool>(c.verified.size(), true));
    }
}

// A signature covers the controller body up to its chain: changing any byte of a name, or
// cutting the earlier chain, breaks it; the data index after the chains is not covered.
TEST(Sis9Signatures, ChangedBytesBreakTheSignature) {
    test::Package9 p;
    p.deflateController = false;
    p.controller.files = {{"!:\\a.txt", "a"}};
    p.controller.signers = {signer(kLeaf), signer(kRsa)};
    const Bytes whole = test::writePackage9(p);
    const int64_t kValid = validDay();
    ASSERT_EQ(warnings(verify(whole, kValid).verification), "");

    Bytes vendor = whole;
    vendor[test::find9(vendor, {'D', 0, 'e', 0, 'm', 0, 'o', 0})] = 'd';
    const Result changed = verify(vendor, kValid);
    EXPECT_FALSE(changed.chains.at(0).verified);
    EXPECT_FALSE(changed.chains.at(1).verified);

    // A changed bit in the first chain's signature breaks it, and the second, which signs it.
    Bytes signature = whole;
    const size_t blob = test::find9(signature, {37, 0, 0, 0, 128, 0, 0, 0});
    signature[blob + 8] ^= 1;
    const Result second = verify(signature, kValid);
    EXPECT_FALSE(second.chains.at(0).verified);
    EXPECT_FALSE(second.chains.at(1).verified);

    Bytes index = whole;
    const size_t at = test::find9(index, {40, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0});
    index[at + 8] = 1;  // now points at a unit that does not exist: the file has no data
    const Result moved = verify(index, kValid);
    EXPECT_TRUE(moved.chains.at(0).verified);
    EXPECT_TRUE(moved.chains.at(1).verified);
}

TEST(Sis9Signatures, TimesAreShownInUtc) {
    EXPECT_EQ(formatTime(0), "1970-01-01 00:00:00");
    EXPECT_EQ(formatTime(1219017599), "2008-08-17 23:59:59");
    EXPECT_EQ(formatTime(951782400, true), "2000-02-29T00:00:00Z");
    EXPECT_EQ(formatTime(-1), "1969-12-31 23:59:59");
}

}  // namespace
}  // namespace tovrin::sis9
