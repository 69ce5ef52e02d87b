#pragma once
// The files a signer is given and makes: certificates and keys read with messages that name the
// file, and a new key with its self-signed certificate written whole or not at all.

#include <cstdint>
#include <string>
#include <vector>

#include "src/crypto/certificate.h"
#include "src/crypto/new_certificate.h"
#include "src/crypto/private_key.h"

namespace tovrin::sissign {

// The certificates of a PEM or DER file, the signer's first. False with "<file>: <message>".
bool readCertificates(const std::string& path, std::vector<crypto::Bytes>* out, std::string* err);

// The key of `path` (`password` empty for a plain one), refused unless it holds the public key
// of `certificate`.
bool readSigningKey(const std::string& path, const std::string& password,
                    const crypto::Bytes& certificate, const std::string& certificatePath,
                    crypto::PrivateKey* out, std::string* err);

// The first second past the short time form certificates of older phones read: 2050-01-01.
constexpr int64_t kEndOfShortTime = 2524608000;

struct NewKeyRequest {
    std::string certificatePath;
    std::string keyPath;
    crypto::NewCertificate certificate;  // subject, now, days
    unsigned bits = 2048;
    std::string password;  // the key is written encrypted when it is not empty
};

// Refuses a validity that would end past 2049 before any work is done; then makes an RSA key and
// its certificate, and writes the certificate (PEM) and the key (PEM, encrypted PKCS #8 with a
// password), the key readable by its owner alone from the moment it exists.
bool makeKeyAndCertificate(const NewKeyRequest& request, std::string* err);

}  // namespace tovrin::sissign
