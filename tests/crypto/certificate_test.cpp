#include "src/crypto/certificate.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/crypto/test_data.h"

namespace tovrin::crypto {
namespace {

using test::cryptoData;
using test::firstCertificate;

constexpr int64_t kDay = 86400;

TEST(Certificate, DecodesWhatAListingShows) {
    struct Case {
        const char* file;
        const char* subject;
        const char* issuer;
        const char* serial;
        const char* algorithm;
        unsigned bits;
        bool selfSigned;
        int64_t notBefore, notAfter;  // 0: made when make.sh ran, so only the length is known
        int64_t days;
    };
    const Case cases[] = {
        {"rsa-self.der", "CN=rsa self,O=Tovrin Tests,C=FI", "CN=rsa self,O=Tovrin Tests,C=FI", "0A", "RSA",
         1024, true, 0, 0, 3650},
        {"dsa-self.pem", "CN=dsa self,O=Tovrin Tests,C=FI", "CN=dsa self,O=Tovrin Tests,C=FI", "00", "DSA",
         1024, true, 0, 0, 3650},
        {"ca.pem", "CN=Test CA,O=Tovrin Tests", "CN=Test CA,O=Tovrin Tests", "01", "RSA", 1024, true, 0, 0, 3650},
        // The serial's top bit is set: the DER zero byte before it is not shown.
        {"leaf.pem", "CN=Test leaf,O=Tovrin Tests", "CN=Test CA,O=Tovrin Tests", "89ABCDEF", "RSA", 1024, false, 0,
         0, 3650},
        {"expired.pem", "CN=expired", "CN=expired", "01", "RSA", 1024, true, 978307200, 1009843200, 0},
        // Past 2049 the end is a GeneralizedTime.
        {"far-future.pem", "CN=far-future", "CN=far-future", "02", "RSA", 1024, true, 1577836800, 3471292800, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        CertificateInfo info;
        std::string err;
        ASSERT_TRUE(decodeCertificate(firstCertificate(c.file), &info, &err)) << err;
        EXPECT_EQ(info.subject, c.subject);
        EXPECT_EQ(info.issuer, c.issuer);
        EXPECT_EQ(info.serialHex, c.serial);
        EXPECT_EQ(info.keyAlgorithm, c.algorithm);
        EXPECT_EQ(info.keyBits, c.bits);
        EXPECT_EQ(info.selfSigned, c.selfSigned);
        if (c.notBefore != 0) {
            EXPECT_EQ(info.notBefore, c.notBefore);
            EXPECT_EQ(info.notAfter, c.notAfter);
        } else {
            EXPECT_EQ(info.notAfter - info.notBefore, c.days * kDay);
        }
    }
}

TEST(Certificate, RefusesWhatIsNotOneCertificate) {
    const Bytes good = cryptoData("rsa-self.der");
    Bytes trailing = good;
    trailing.push_back(0);
    Bytes badVersion = good;
    badVersion[8] = 0xFF;  // inside the TBS header: no longer a certificate
    struct Case {
        const char* name;
        Bytes der;
    };
    const Case cases[] = {
        {"empty", {}},
        {"truncated", Bytes(good.begin(), good.begin() + 100)},
        {"a byte after it", trailing},
        {"a chain of two", cryptoData("chain.der")},
        {"a key", cryptoData("rsa.der")},
        {"damaged", badVersion},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CertificateInfo info;
        std::string err;
        EXPECT_FALSE(decodeCertificate(c.der, &info, &err));
        EXPECT_FALSE(err.empty());
    }
    // Every cut of a real certificate is refused, never read past its end.
    for (size_t n = 0; n < good.size(); ++n) {
        CertificateInfo info;
        EXPECT_FALSE(decodeCertificate(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n)), &info, nullptr))
            << n;
    }
}

TEST(Certificate, LoadsTheFilesUsersHave) {
    auto text = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
    auto join = [](Bytes a, const Bytes& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const Bytes leafPem = cryptoData("leaf.pem"), caPem = cryptoData("ca.pem");
    const Bytes selfDer = cryptoData("rsa-self.der");
    const std::string afterSelf = "no DER certificate at byte " + std::to_string(selfDer.size());
    std::string crlf;
    for (uint8_t c : leafPem) crlf += c == '\n' ? std::string("\r\n") : std::string(1, static_cast<char>(c));
    std::string cut(caPem.begin(), caPem.end());
    cut.erase(cut.find("-----END"));
    std::string damaged(caPem.begin(), caPem.end());
    damaged[40] = '*';
    struct Case {
        const char* name;
        Bytes content;
        std::vector<const char*> subjects;  // empty: refused with `error`
        const char* error;
    };
    const Case cases[] = {
        {"one PEM", cryptoData("rsa-self.pem"), {"CN=rsa self,O=Tovrin Tests,C=FI"}, ""},
        {"one DER", cryptoData("dsa-self.der"), {"CN=dsa self,O=Tovrin Tests,C=FI"}, ""},
        {"a DER chain", cryptoData("chain.der"), {"CN=Test leaf,O=Tovrin Tests", "CN=Test CA,O=Tovrin Tests"}, ""},
        {"PEM blocks with text around, CR LF",
         join(join(text("Bag Attributes\r\n" + crlf + "issuer of it:\n"), caPem), text("trailing words\n")),
         {"CN=Test leaf,O=Tovrin Tests", "CN=Test CA,O=Tovrin Tests"},
         ""},
        {"a key only", cryptoData("rsa-pkcs8.pem"), {}, "no certificate in the file"},
        {"empty", {}, {}, "no certificate in the file"},
        {"text", text("hello\n"), {}, "no DER certificate at byte 0"},
        {"PEM without its end", text(cut), {}, "has no END line"},
        {"damaged base64", text(damaged), {}, "damaged base64"},
        {"DER with a bad second element", join(selfDer, text("xx")), {}, afterSelf.c_str()},
        {"a PEM block that is no certificate", text(certificatePem(cryptoData("rsa.der"))), {}, "certificate 1: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Bytes> certs;
        std::string err;
        bool ok = loadCertificateFile(c.content, &certs, &err);
        if (c.subjects.empty()) {
            EXPECT_FALSE(ok);
            EXPECT_NE(err.find(c.error), std::string::npos) << err;
            continue;
        }
        ASSERT_TRUE(ok) << err;
        ASSERT_EQ(certs.size(), c.subjects.size());
        for (size_t i = 0; i < certs.size(); ++i) {
            CertificateInfo info;
            ASSERT_TRUE(decodeCertificate(certs[i], &info, &err)) << err;
            EXPECT_EQ(info.subject, c.subjects[i]);
        }
    }
}

TEST(Certificate, SplitsAChainBlob) {
    const Bytes chain = cryptoData("chain.der");
    std::vector<Bytes> certs;
    std::string err;
    ASSERT_TRUE(splitCertificates(chain.data(), chain.size(), &certs, &err)) << err;
    ASSERT_EQ(certs.size(), 2u);
    EXPECT_EQ(certs[0], firstCertificate("leaf.pem"));
    EXPECT_EQ(certs[1], firstCertificate("ca.pem"));
    // A chain cut anywhere inside its second certificate is refused.
    EXPECT_FALSE(splitCertificates(chain.data(), chain.size() - 1, &certs, &err));
    EXPECT_TRUE(splitCertificates(chain.data(), 0, &certs, &err));
    EXPECT_TRUE(certs.empty());
}

TEST(Certificate, PemIsWhatOpensslWrites) {
    const Bytes pem = cryptoData("leaf.pem");
    EXPECT_EQ(certificatePem(firstCertificate("leaf.pem")), std::string(pem.begin(), pem.end()));
}

TEST(Certificate, SignedByItsIssuerOnly) {
    Bytes flipped = firstCertificate("leaf.pem");
    flipped[flipped.size() - 5] ^= 1;  // inside the signature value
    Bytes tampered = firstCertificate("leaf.pem");
    const std::string leafName = "Test leaf";
    auto name = std::search(tampered.begin(), tampered.end(), leafName.begin(), leafName.end());
    ASSERT_NE(name, tampered.end());
    *name = 'B';  // the subject is signed: "Best leaf" is another certificate
    struct Case {
        const char* name;
        Bytes certificate, issuer;
        bool signedBy;
    };
    const Case cases[] = {
        {"leaf by CA", firstCertificate("leaf.pem"), firstCertificate("ca.pem"), true},
        {"CA by itself", firstCertificate("ca.pem"), firstCertificate("ca.pem"), true},
        {"DSA by itself", firstCertificate("dsa-self.der"), firstCertificate("dsa-self.der"), true},
        {"leaf by itself", firstCertificate("leaf.pem"), firstCertificate("leaf.pem"), false},
        {"leaf by another key", firstCertificate("leaf.pem"), firstCertificate("rsa-self.pem"), false},
        {"leaf by a DSA key", firstCertificate("leaf.pem"), firstCertificate("dsa-self.pem"), false},
        {"signature damaged", flipped, firstCertificate("ca.pem"), false},
        {"content damaged", tampered, firstCertificate("ca.pem"), false},
        {"no issuer", firstCertificate("leaf.pem"), {}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(certificateSignedBy(c.certificate, c.issuer), c.signedBy) << c.name;
}

}  // namespace
}  // namespace tovrin::crypto

namespace tovrin::crypto {
namespace {

// A certificate with any byte changed either no longer decodes or no longer verifies; none
// makes libksba or libgcrypt abort (a damaged DSA q would).
TEST(Certificate, AnyChangedByteBreaksIt) {
    const char* const files[] = {"leaf.pem", "dsa-self.pem"};
    const Bytes ca = test::firstCertificate("ca.pem");
    for (const char* file : files) {
        const Bytes good = test::firstCertificate(file);
        const Bytes& issuer = std::string(file) == "leaf.pem" ? ca : good;
        ASSERT_TRUE(certificateSignedBy(good, issuer)) << file;
        for (size_t i = 0; i < good.size(); ++i) {
            Bytes damaged = good;
            damaged[i] ^= static_cast<uint8_t>(1u << (i % 8));
            CertificateInfo info;
            decodeCertificate(damaged, &info, nullptr);
            EXPECT_FALSE(certificateSignedBy(damaged, issuer)) << file << " byte " << i;
        }
    }
}

}  // namespace
}  // namespace tovrin::crypto
