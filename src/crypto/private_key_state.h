#pragma once
// Inside src/crypto only: what a PrivateKey holds, libgcrypt's "(private-key ...)" S-expression.

#include "src/crypto/private_key.h"
#include "src/crypto/sexp.h"

namespace tovrin::crypto {

struct PrivateKey::State {
    Sexp key;
    SignatureAlgorithm algorithm = SignatureAlgorithm::Unsupported;
    unsigned bits = 0;
};

// A PrivateKey over `key`; false with a message when the key is not a usable RSA or DSA key.
bool makePrivateKey(Sexp key, PrivateKey* out, std::string* err);

}  // namespace tovrin::crypto
