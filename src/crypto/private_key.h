#pragma once
// Private keys for signing: read from the files users have (PEM: PKCS #1 RSA, DSA, PKCS #8, plain
// or encrypted, PKCS #8 PBES2 and the traditional "Proc-Type: 4,ENCRYPTED" form SDK-era key makers
// wrote; or DER), made anew (RSA), written back as PEM (encrypted PKCS #8 when a password is
// given), and used to sign. The key material never leaves this seam except as the PEM text asked
// for.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "src/crypto/certificate.h"
#include "src/crypto/signature.h"

namespace tovrin::crypto {

class PrivateKey {
public:
    PrivateKey();
    ~PrivateKey();
    PrivateKey(PrivateKey&&) noexcept;
    PrivateKey& operator=(PrivateKey&&) noexcept;

    bool empty() const;
    SignatureAlgorithm algorithm() const;  // RsaSha1 for RSA keys, DsaSha1 for DSA keys
    unsigned bits() const;

    struct State;  // src/crypto/private_key_state.h
    explicit PrivateKey(std::unique_ptr<State> state);
    State* state() const { return state_.get(); }

private:
    std::unique_ptr<State> state_;
};

// `password` may be empty for a plain key. False with a message that says what is wrong (no key
// in the file, a password needed, a wrong password, an unsupported kind).
bool loadPrivateKey(const Bytes& content, const std::string& password, PrivateKey* out,
                    std::string* err);

// A new RSA key of `bits` bits (1024 to 4096).
bool generateRsaKey(unsigned bits, PrivateKey* out, std::string* err);

// The key as PEM: "ENCRYPTED PRIVATE KEY" (PKCS #8, PBES2) when `password` is not empty,
// otherwise "PRIVATE KEY".
bool privateKeyPem(const PrivateKey& key, const std::string& password, std::string* out,
                   std::string* err);

// Signs `data`: RSA PKCS #1 v1.5 over SHA-1 (as long as the modulus), or DSA over SHA-1 (the DER
// SEQUENCE padded with zeros to 48 bytes).
bool signData(const PrivateKey& key, const uint8_t* data, size_t size, Bytes* signature,
              std::string* err);

// True when the certificate holds this key's public half.
bool keyMatchesCertificate(const PrivateKey& key, const Bytes& certificateDer);

}  // namespace tovrin::crypto
