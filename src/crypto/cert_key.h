#pragma once
// Inside src/crypto only: a certificate opened with libksba, its public key as libgcrypt's
// S-expression, and the verification of a digest with that key. Certificate checks and package
// signatures share it.

#include <gcrypt.h>
#include <ksba.h>

#include <string>

#include "src/crypto/certificate.h"
#include "src/crypto/sexp.h"

namespace tovrin::crypto {

// One DER certificate decoded by libksba.
class KsbaCertificate {
public:
    KsbaCertificate() = default;
    ~KsbaCertificate() { ksba_cert_release(cert_); }
    KsbaCertificate(const KsbaCertificate&) = delete;
    KsbaCertificate& operator=(const KsbaCertificate&) = delete;

    // False with a message when `der` is not exactly one certificate.
    bool load(const Bytes& der, std::string* err);
    ksba_cert_t get() const { return cert_; }

private:
    ksba_cert_t cert_ = nullptr;
};

bool certificatePublicKey(const KsbaCertificate& cert, Sexp* key, std::string* err);

// "RSA", "DSA", "ECC", ... as the key's S-expression names it, upper case; empty when unknown.
std::string keyAlgorithmOf(gcry_sexp_t key);

// True when a DSA key's numbers are of the shape libgcrypt relies on: 1 < g, y < p, q dividing
// p - 1, and with `provePrime` q a prime (a few milliseconds: done for a private key, once). A
// damaged key can make libgcrypt abort on an assertion rather than fail.
bool dsaKeySound(gcry_sexp_t key, bool provePrime);

// True when `sigVal` ("(sig-val (rsa (s ...)))" or "(sig-val (dsa (r ...) (s ...)))") is a
// signature by `key` of a message whose digest with `hashAlgo` is `digest`. RSA signatures are
// PKCS #1 v1.5.
bool verifyDigest(gcry_sexp_t key, int hashAlgo, const uint8_t* digest, size_t size, gcry_sexp_t sigVal);

}  // namespace tovrin::crypto
