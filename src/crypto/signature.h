#pragma once
// The signatures of Symbian 9 packages: RSA PKCS #1 v1.5 with SHA-1, and DSA with SHA-1 whose
// blob is the DER SEQUENCE { r, s } padded with zero bytes to 48. Verified with the public key
// of a DER certificate.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "src/crypto/certificate.h"

namespace tovrin::crypto {

enum class SignatureAlgorithm { RsaSha1, DsaSha1, Unsupported };

// From the dotted OID a package names ("1.2.840.113549.1.1.5", "1.2.840.10040.4.3").
SignatureAlgorithm algorithmFromOid(const std::string& oid);
const char* algorithmName(SignatureAlgorithm algorithm);  // "RSA-SHA1", "DSA-SHA1", "unsupported"

// True when `signature` is a valid signature of `data` by the key of `certificateDer`. A DSA
// blob is read as its first DER element followed by zero bytes only. False with a message
// otherwise (a bad signature, a key of another kind, an undecodable certificate).
bool verifySignature(SignatureAlgorithm algorithm, const Bytes& certificateDer, const uint8_t* data,
                     size_t size, const Bytes& signature, std::string* err);

}  // namespace tovrin::crypto
