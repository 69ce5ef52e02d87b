#pragma once
// Inside src/crypto only: the two ways key files are encrypted with a password.
//  - openssl's traditional PEM form: "Proc-Type: 4,ENCRYPTED" and "DEK-Info: CIPHER,IV-in-hex";
//    the key is MD5 over password and the IV's first 8 bytes, repeated (one round each) until
//    long enough, and the DER is encrypted in CBC mode with PKCS #7 padding.
//  - PKCS #8 EncryptedPrivateKeyInfo with PBES2:
//      SEQUENCE { SEQUENCE { OID pbes2, SEQUENCE {
//                     SEQUENCE { OID pbkdf2, SEQUENCE { OCTET STRING salt, INTEGER iterations,
//                                                       [INTEGER key length], [prf] } },
//                     SEQUENCE { OID cipher, OCTET STRING iv } } },
//                 OCTET STRING encrypted PrivateKeyInfo }
//    with PBKDF2 over HMAC-SHA1 (the default) or HMAC-SHA256, and AES-128/192/256-CBC or
//    DES-EDE3-CBC.
// A wrong password shows as bad padding here, or as DER that does not parse in the caller.

#include <cstdint>
#include <string>
#include <vector>

namespace tovrin::crypto {

extern const char kWrongPassword[];

bool decryptTraditional(const std::string& dekInfo, const std::vector<uint8_t>& data, const std::string& password,
                        std::vector<uint8_t>* plain, std::string* err);

bool decryptPkcs8(const std::vector<uint8_t>& encryptedInfo, const std::string& password,
                  std::vector<uint8_t>* plain, std::string* err);

// PBES2 with PBKDF2-HMAC-SHA256 (a random 16-byte salt) and AES-256-CBC (a random IV).
bool encryptPkcs8(const std::vector<uint8_t>& privateKeyInfo, const std::string& password,
                  std::vector<uint8_t>* encryptedInfo, std::string* err);

}  // namespace tovrin::crypto
