#pragma once
// Inside src/crypto only: the DER structures private keys are stored in, to and from libgcrypt's
// "(private-key (rsa ...))" / "(private-key (dsa ...))" S-expressions.
//   PKCS #8 PrivateKeyInfo  SEQUENCE { INTEGER 0, AlgorithmIdentifier, OCTET STRING key }
//     rsaEncryption (NULL parameters): the key is an RSAPrivateKey
//     id-dsa (parameters SEQUENCE { p, q, g }): the key is INTEGER x
//   PKCS #1 RSAPrivateKey   SEQUENCE { 0, n, e, d, p, q, d mod (p-1), d mod (q-1), q^-1 mod p }
//   DSA (traditional)       SEQUENCE { 0, p, q, g, y, x }
// libgcrypt's RSA wants u = p^-1 mod q: PKCS #1's p and q are swapped on the way in and out, so
// its coefficient serves as u unchanged.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "src/crypto/sexp.h"

namespace tovrin::crypto {

// Any of the three structures. False with a message when the bytes are none of them.
bool privateKeyFromDer(const uint8_t* der, size_t size, Sexp* key, std::string* err);

// The key as a PKCS #8 PrivateKeyInfo.
bool privateKeyInfo(gcry_sexp_t key, std::vector<uint8_t>* der, std::string* err);

}  // namespace tovrin::crypto
