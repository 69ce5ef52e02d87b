#include "src/crypto/signature.h"

#include <gtest/gtest.h>

#include "tests/crypto/test_data.h"

namespace tovrin::crypto {
namespace {

using test::cryptoData;
using test::firstCertificate;

TEST(Signature, AlgorithmsByOid) {
    const std::pair<const char*, SignatureAlgorithm> cases[] = {
        {"1.2.840.113549.1.1.5", SignatureAlgorithm::RsaSha1},
        {"1.2.840.10040.4.3", SignatureAlgorithm::DsaSha1},
        {"1.2.840.113549.1.1.4", SignatureAlgorithm::Unsupported},  // MD5 with RSA
        {"1.2.840.113549.1.1.2", SignatureAlgorithm::Unsupported},  // MD2 with RSA
        {"", SignatureAlgorithm::Unsupported},
    };
    for (const auto& c : cases) EXPECT_EQ(algorithmFromOid(c.first), c.second) << c.first;
    EXPECT_STREQ(algorithmName(SignatureAlgorithm::RsaSha1), "RSA-SHA1");
    EXPECT_STREQ(algorithmName(SignatureAlgorithm::DsaSha1), "DSA-SHA1");
    EXPECT_STREQ(algorithmName(SignatureAlgorithm::Unsupported), "unsupported");
}

TEST(Signature, VerifiesOverTheSignedBytes) {
    const Bytes data = cryptoData("signed.txt");
    const Bytes rsa = cryptoData("rsa.sig");
    const Bytes dsa = cryptoData("dsa.sig");
    auto padded = [](Bytes sig, size_t size, uint8_t fill) {
        sig.resize(size, fill);
        return sig;
    };
    auto flipped = [](Bytes b, size_t at) {
        b[at] ^= 0x40;
        return b;
    };
    Bytes longerData = data;
    longerData.push_back('!');
    const SignatureAlgorithm R = SignatureAlgorithm::RsaSha1, D = SignatureAlgorithm::DsaSha1;
    struct Case {
        const char* name;
        SignatureAlgorithm algorithm;
        const char* certificate;
        Bytes data, signature;
        const char* error;  // empty: verifies
    };
    const Case cases[] = {
        {"RSA", R, "rsa-self.der", data, rsa, ""},
        // Packages pad DSA blobs with zeros to 48 bytes; a blob the DER fills is fine too.
        {"DSA padded to 48", D, "dsa-self.der", data, padded(dsa, 48, 0), ""},
        {"DSA as bare DER", D, "dsa-self.pem", data, dsa, ""},
        {"DSA with a non-zero byte after it", D, "dsa-self.der", data, padded(padded(dsa, 47, 0), 48, 1),
         "other bytes than zeros"},
        {"DSA blob not DER", D, "dsa-self.der", data, Bytes(48, 0), "not a DER sequence"},
        {"DSA r changed", D, "dsa-self.der", data, flipped(padded(dsa, 48, 0), 10), "does not match"},
        {"RSA data changed", R, "rsa-self.der", longerData, rsa, "does not match"},
        {"RSA signature changed", R, "rsa-self.der", data, flipped(rsa, 64), "does not match"},
        {"RSA by another key", R, "leaf.pem", data, rsa, "does not match"},
        {"RSA too long", R, "rsa-self.der", data, padded(rsa, 129, 0), "longer than the key's modulus"},
        {"RSA signature, DSA key", R, "dsa-self.der", data, rsa, "the certificate's key is DSA"},
        {"DSA signature, RSA key", D, "rsa-self.der", data, dsa, "the certificate's key is RSA"},
        {"unsupported", SignatureAlgorithm::Unsupported, "rsa-self.der", data, rsa, "unsupported"},
        {"no certificate", R, "signed.txt", data, rsa, "signing certificate: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes cert = std::string(c.certificate).find(".der") != std::string::npos ? cryptoData(c.certificate)
                                                                                         : firstCertificate(c.certificate);
        std::string err;
        bool ok = verifySignature(c.algorithm, cert, c.data.data(), c.data.size(), c.signature, &err);
        if (*c.error == 0) {
            EXPECT_TRUE(ok) << err;
        } else {
            EXPECT_FALSE(ok);
            EXPECT_NE(err.find(c.error), std::string::npos) << err;
        }
    }
}

}  // namespace
}  // namespace tovrin::crypto
