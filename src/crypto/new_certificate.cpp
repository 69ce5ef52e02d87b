#include "src/crypto/new_certificate.h"

#include <algorithm>
#include <cstdio>

#include "src/crypto/der.h"
#include "src/crypto/gcrypt_setup.h"
#include "src/crypto/mpi.h"
#include "src/crypto/private_key_state.h"
#include "src/crypto/utc_time.h"
#include "src/crypto/x509_name.h"

namespace tovrin::crypto {

namespace {

const char kSha1WithRsa[] = "1.2.840.113549.1.1.5";
const char kRsaEncryption[] = "1.2.840.113549.1.1.1";
const char kBasicConstraints[] = "2.5.29.19";
constexpr int64_t kDay = 86400;
// UTCTime's two-digit years cover 1950 to 2049.
constexpr int64_t kFirstUtcTime = -631152000;  // 1950-01-01T00:00:00Z
constexpr int64_t kLastUtcTime = 2524607999;   // 2049-12-31T23:59:59Z

std::string dateText(int64_t seconds) {
    CivilTime t = civilFromSeconds(seconds);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.year, t.month, t.day);
    return text;
}

der::Bytes utcTime(int64_t seconds) {
    CivilTime t = civilFromSeconds(seconds);
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02dZ", t.year % 100, t.month, t.day, t.hour, t.minute,
                  t.second);
    return der::element(der::UtcTime, der::Bytes(text, text + 13));
}

der::Bytes bitString(const der::Bytes& content) {
    der::Bytes withUnused(content.size() + 1, 0);  // the first byte: no unused bits at the end
    std::copy(content.begin(), content.end(), withUnused.begin() + 1);
    return der::element(der::BitString, withUnused);
}

}  // namespace

bool makeSelfSignedCertificate(const NewCertificate& request, const PrivateKey& key, Bytes* out, std::string* err) {
    if (key.empty() || key.algorithm() != SignatureAlgorithm::RsaSha1) {
        if (err) *err = "a self-signed certificate is made for an RSA key only";
        return false;
    }
    if (request.days == 0) {
        if (err) *err = "a certificate is valid for at least one day";
        return false;
    }
    const int64_t notBefore = request.now - kDay;
    const int64_t notAfter = notBefore + static_cast<int64_t>(request.days) * kDay;
    if (notAfter > kLastUtcTime) {
        if (err) *err = "the certificate would end on " + dateText(notAfter) +
                        ", after 2049-12-31: older phones read only dates before 2050";
        return false;
    }
    if (notBefore < kFirstUtcTime) {
        if (err) *err = "the certificate would start before 1950";
        return false;
    }
    der::Bytes name;
    if (!encodeDistinguishedName(request.subject, &name, err)) return false;

    ensureGcrypt();
    // A positive serial of 8 random bytes: the top bit clear, never zero.
    der::Bytes serial(8);
    gcry_create_nonce(serial.data(), serial.size());
    serial[0] = static_cast<uint8_t>((serial[0] & 0x7F) | 0x01);

    gcry_sexp_t own = key.state()->key.get();
    der::Bytes publicKey = der::sequence({der::integer(mpiOf(own, "n").bytes()), der::integer(mpiOf(own, "e").bytes())});
    der::Bytes algorithm = der::sequence({der::oid(kSha1WithRsa), der::null()});
    // basicConstraints cA TRUE, not critical: the certificate is its own root.
    der::Bytes basicConstraints = der::sequence(
        {der::oid(kBasicConstraints), der::octetString(der::sequence({der::Bytes{0x01, 0x01, 0xFF}}))});
    der::Bytes tbs = der::sequence({
        der::element(der::contextTag(0), der::integer(uint64_t{2})),  // v3
        der::integer(serial),
        algorithm,
        name,
        der::sequence({utcTime(notBefore), utcTime(notAfter)}),
        name,
        der::sequence({der::sequence({der::oid(kRsaEncryption), der::null()}), bitString(publicKey)}),
        der::element(der::contextTag(3), der::sequence({basicConstraints})),
    });
    Bytes signature;
    if (!signData(key, tbs.data(), tbs.size(), &signature, err)) return false;
    *out = der::sequence({tbs, algorithm, bitString(signature)});
    return true;
}

}  // namespace tovrin::crypto
