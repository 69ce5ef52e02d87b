#pragma once
// A self-signed X.509 v3 certificate that Symbian 9 phones accept: signed with
// sha1WithRSAEncryption, a positive random serial, subject = issuer, validity from a day before
// `now` for `days` days, no extensions but basicConstraints. The validity's end must fall before
// 2050 (older phones read only the short time form).

#include <cstdint>
#include <string>

#include "src/crypto/certificate.h"
#include "src/crypto/private_key.h"

namespace tovrin::crypto {

struct NewCertificate {
    std::string subject = "CN=Tovrin self-signed";  // "CN=...,O=...,C=..."
    int64_t now = 0;                                // seconds since 1970, UTC
    unsigned days = 3650;
};

bool makeSelfSignedCertificate(const NewCertificate& request, const PrivateKey& key, Bytes* der,
                               std::string* err);

}  // namespace tovrin::crypto
