#include "src/crypto/key_encryption.h"

#include <gcrypt.h>

#include <cctype>

#include "src/crypto/der.h"
#include "src/crypto/gcrypt_setup.h"
#include "src/crypto/mpi.h"

namespace tovrin::crypto {

const char kWrongPassword[] = "wrong password for the private key";

namespace {

using Bytes = std::vector<uint8_t>;

const char kPbes2[] = "1.2.840.113549.1.5.13";
const char kPbkdf2[] = "1.2.840.113549.1.5.12";
const char kHmacSha1[] = "1.2.840.113549.2.7";
const char kHmacSha256[] = "1.2.840.113549.2.9";
const unsigned kIterations = 2048;  // openssl's own default for PBES2

struct Cipher {
    const char* pemName;
    const char* oid;
    int algo;
    size_t keySize;
};

const Cipher kCiphers[] = {
    {"AES-128-CBC", "2.16.840.1.101.3.4.1.2", GCRY_CIPHER_AES128, 16},
    {"AES-192-CBC", "2.16.840.1.101.3.4.1.22", GCRY_CIPHER_AES192, 24},
    {"AES-256-CBC", "2.16.840.1.101.3.4.1.42", GCRY_CIPHER_AES256, 32},
    {"DES-EDE3-CBC", "1.2.840.113549.3.7", GCRY_CIPHER_3DES, 24},
};

const Cipher* cipherByPemName(const std::string& name) {
    for (const Cipher& c : kCiphers)
        if (name == c.pemName) return &c;
    return nullptr;
}

const Cipher* cipherByOid(const std::string& oid) {
    for (const Cipher& c : kCiphers)
        if (oid == c.oid) return &c;
    return nullptr;
}

// CBC in either direction; decryption checks and removes the PKCS #7 padding.
bool runCipher(const Cipher& cipher, const Bytes& key, const Bytes& iv, const Bytes& in, bool encrypt, Bytes* out,
               std::string* err) {
    ensureGcrypt();
    size_t block = gcry_cipher_get_algo_blklen(cipher.algo);
    if (key.size() != cipher.keySize || iv.size() != block) {
        if (err) *err = std::string("bad ") + cipher.pemName + " parameters in the key file";
        return false;
    }
    Bytes buffer = in;
    if (encrypt) {
        size_t pad = block - buffer.size() % block;
        buffer.insert(buffer.end(), pad, static_cast<uint8_t>(pad));
    } else if (buffer.empty() || buffer.size() % block != 0) {
        if (err) *err = "the encrypted key is damaged (its length is not a whole number of blocks)";
        return false;
    }
    gcry_cipher_hd_t h = nullptr;
    bool ok = gcry_cipher_open(&h, cipher.algo, GCRY_CIPHER_MODE_CBC, 0) == 0 &&
              gcry_cipher_setkey(h, key.data(), key.size()) == 0 && gcry_cipher_setiv(h, iv.data(), iv.size()) == 0 &&
              (encrypt ? gcry_cipher_encrypt(h, buffer.data(), buffer.size(), nullptr, 0)
                       : gcry_cipher_decrypt(h, buffer.data(), buffer.size(), nullptr, 0)) == 0;
    gcry_cipher_close(h);
    if (!ok) {
        wipe(&buffer);
        if (err) *err = std::string(cipher.pemName) + " failed";
        return false;
    }
    if (!encrypt) {
        size_t pad = buffer.back();
        bool padded = pad >= 1 && pad <= block;
        for (size_t i = 0; padded && i < pad; ++i) padded = buffer[buffer.size() - 1 - i] == pad;
        if (!padded) {
            wipe(&buffer);
            if (err) *err = kWrongPassword;
            return false;
        }
        buffer.resize(buffer.size() - pad);
    }
    *out = std::move(buffer);
    return true;
}

bool hexBytes(const std::string& hex, Bytes* out) {
    out->clear();
    if (hex.size() % 2 != 0) return false;
    for (size_t i = 0; i < hex.size(); i += 2) {
        if (!std::isxdigit(static_cast<unsigned char>(hex[i])) || !std::isxdigit(static_cast<unsigned char>(hex[i + 1])))
            return false;
        out->push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return true;
}

bool pbkdf2(const std::string& password, int hash, const Bytes& salt, unsigned long iterations, size_t size,
            Bytes* key) {
    ensureGcrypt();
    key->assign(size, 0);
    return gcry_kdf_derive(password.data(), password.size(), GCRY_KDF_PBKDF2, hash, salt.data(), salt.size(),
                           iterations, size, key->data()) == 0;
}

}  // namespace

bool decryptTraditional(const std::string& dekInfo, const Bytes& data, const std::string& password, Bytes* plain,
                        std::string* err) {
    size_t comma = dekInfo.find(',');
    const Cipher* cipher = cipherByPemName(dekInfo.substr(0, comma));
    Bytes iv;
    if (cipher == nullptr) {
        if (err) *err = "unsupported key encryption \"" + dekInfo.substr(0, comma) + "\"";
        return false;
    }
    if (comma == std::string::npos || !hexBytes(dekInfo.substr(comma + 1), &iv) || iv.size() < 8) {
        if (err) *err = "the key file's DEK-Info line is damaged";
        return false;
    }
    ensureGcrypt();
    Bytes key, round;
    while (key.size() < cipher->keySize) {
        Bytes input = round;
        input.insert(input.end(), password.begin(), password.end());
        input.insert(input.end(), iv.begin(), iv.begin() + 8);
        round.assign(16, 0);
        gcry_md_hash_buffer(GCRY_MD_MD5, round.data(), input.data(), input.size());
        key.insert(key.end(), round.begin(), round.end());
        wipe(&input);
    }
    key.resize(cipher->keySize);
    bool ok = runCipher(*cipher, key, iv, data, false, plain, err);
    wipe(&key);
    wipe(&round);
    return ok;
}

bool decryptPkcs8(const Bytes& encryptedInfo, const std::string& password, Bytes* plain, std::string* err) {
    auto damaged = [err](const char* what) {
        if (err) *err = std::string("the encrypted private key's ") + what + " cannot be read";
        return false;
    };
    der::Reader top(encryptedInfo);
    der::Element info, algorithm, data, oid, params, kdf, kdfOid, kdfParams, scheme, schemeOid, iv, salt, count;
    if (!top.next(der::Sequence, &info) || !top.atEnd()) return damaged("structure");
    der::Reader infoReader(info);
    if (!infoReader.next(der::Sequence, &algorithm) || !infoReader.next(der::OctetString, &data))
        return damaged("structure");
    der::Reader algReader(algorithm);
    if (!algReader.next(der::Oid, &oid)) return damaged("algorithm");
    if (der::oidText(oid) != kPbes2) {
        if (err) *err = "unsupported key encryption (" + der::oidText(oid) + "; PBES2 is supported)";
        return false;
    }
    if (!algReader.next(der::Sequence, &params)) return damaged("PBES2 parameters");
    der::Reader paramReader(params);
    if (!paramReader.next(der::Sequence, &kdf) || !paramReader.next(der::Sequence, &scheme))
        return damaged("PBES2 parameters");
    der::Reader kdfReader(kdf);
    if (!kdfReader.next(der::Oid, &kdfOid) || der::oidText(kdfOid) != kPbkdf2 ||
        !kdfReader.next(der::Sequence, &kdfParams)) {
        if (err) *err = "unsupported key derivation (PBKDF2 is supported)";
        return false;
    }
    der::Reader kdfParamReader(kdfParams);
    if (!kdfParamReader.next(der::OctetString, &salt) || !kdfParamReader.next(der::Integer, &count) ||
        count.size > 4)
        return damaged("PBKDF2 parameters");
    unsigned long iterations = 0;
    for (uint8_t b : der::unsignedInteger(count)) iterations = (iterations << 8) | b;
    der::Element keyLength, prf, prfOid;
    kdfParamReader.next(der::Integer, &keyLength);  // optional; the cipher says the same
    int hash = GCRY_MD_SHA1;
    if (kdfParamReader.next(der::Sequence, &prf)) {
        der::Reader prfReader(prf);
        std::string name = prfReader.next(der::Oid, &prfOid) ? der::oidText(prfOid) : "";
        if (name == kHmacSha256) {
            hash = GCRY_MD_SHA256;
        } else if (name != kHmacSha1) {
            if (err) *err = "unsupported PBKDF2 hash (" + name + ")";
            return false;
        }
    }
    der::Reader schemeReader(scheme);
    const Cipher* cipher = schemeReader.next(der::Oid, &schemeOid) ? cipherByOid(der::oidText(schemeOid)) : nullptr;
    if (cipher == nullptr) {
        if (err) *err = "unsupported key cipher (" + der::oidText(schemeOid) + ")";
        return false;
    }
    if (!schemeReader.next(der::OctetString, &iv)) return damaged("IV");
    if (iterations == 0) return damaged("iteration count");
    Bytes key;
    if (!pbkdf2(password, hash, salt.bytes(), iterations, cipher->keySize, &key)) return damaged("key derivation");
    bool ok = runCipher(*cipher, key, iv.bytes(), data.bytes(), false, plain, err);
    wipe(&key);
    return ok;
}

bool encryptPkcs8(const Bytes& privateKeyInfo, const std::string& password, Bytes* encryptedInfo, std::string* err) {
    ensureGcrypt();
    const Cipher& cipher = kCiphers[2];  // AES-256-CBC
    Bytes salt(16), iv(16), key;
    gcry_randomize(salt.data(), salt.size(), GCRY_STRONG_RANDOM);
    gcry_create_nonce(iv.data(), iv.size());
    if (!pbkdf2(password, GCRY_MD_SHA256, salt, kIterations, cipher.keySize, &key)) {
        if (err) *err = "the key derivation failed";
        return false;
    }
    Bytes encrypted;
    bool ok = runCipher(cipher, key, iv, privateKeyInfo, true, &encrypted, err);
    wipe(&key);
    if (!ok) return false;
    Bytes kdf = der::sequence({der::oid(kPbkdf2),
                               der::sequence({der::octetString(salt), der::integer(uint64_t{kIterations}),
                                              der::sequence({der::oid(kHmacSha256), der::null()})})});
    Bytes scheme = der::sequence({der::oid(cipher.oid), der::octetString(iv)});
    *encryptedInfo = der::sequence(
        {der::sequence({der::oid(kPbes2), der::sequence({kdf, scheme})}), der::octetString(encrypted)});
    return true;
}

}  // namespace tovrin::crypto
