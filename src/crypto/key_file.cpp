// The private key files users have, and the one we write.
#include "src/crypto/private_key.h"

#include "src/crypto/der.h"
#include "src/crypto/key_encryption.h"
#include "src/crypto/key_structures.h"
#include "src/crypto/mpi.h"
#include "src/crypto/pem.h"
#include "src/crypto/private_key_state.h"

namespace tovrin::crypto {

namespace {

const char kPasswordNeeded[] = "the private key is encrypted: a password is needed";

bool isKeyLabel(const std::string& label) {
    return label == "RSA PRIVATE KEY" || label == "DSA PRIVATE KEY" || label == "PRIVATE KEY" ||
           label == "ENCRYPTED PRIVATE KEY";
}

// Decrypted bytes that are no key mean the password was wrong (the padding matched by chance).
bool keyFromDecrypted(Bytes* plain, bool ok, Sexp* key, std::string* err) {
    if (ok && !privateKeyFromDer(plain->data(), plain->size(), key, nullptr)) {
        if (err) *err = kWrongPassword;
        ok = false;
    }
    wipe(plain);
    return ok;
}

// An EncryptedPrivateKeyInfo's outline: SEQUENCE { SEQUENCE { OID, ... }, OCTET STRING }.
bool looksEncrypted(const Bytes& der) {
    der::Reader top(der);
    der::Element info, algorithm, data, oid;
    if (!top.next(der::Sequence, &info) || !top.atEnd()) return false;
    der::Reader r(info);
    if (!r.next(der::Sequence, &algorithm) || !r.next(der::OctetString, &data) || !r.atEnd()) return false;
    der::Reader alg(algorithm);
    return alg.next(der::Oid, &oid);
}

}  // namespace

bool loadPrivateKey(const Bytes& content, const std::string& password, PrivateKey* out, std::string* err) {
    Sexp key;
    if (pem::looksLikePem(content)) {
        std::vector<pem::Block> blocks;
        if (!pem::readBlocks(content, &blocks, err)) return false;
        const pem::Block* block = nullptr;
        for (const pem::Block& b : blocks)
            if (isKeyLabel(b.label) && block == nullptr) block = &b;
        if (block == nullptr) {
            if (err) *err = "no private key in the file";
            for (pem::Block& b : blocks) wipe(&b.der);
            return false;
        }
        bool ok;
        bool traditional = block->header("Proc-Type").find("ENCRYPTED") != std::string::npos;
        if ((traditional || block->label == "ENCRYPTED PRIVATE KEY") && password.empty()) {
            if (err) *err = kPasswordNeeded;
            ok = false;
        } else if (traditional) {
            Bytes plain;
            ok = keyFromDecrypted(&plain, decryptTraditional(block->header("DEK-Info"), block->der, password, &plain, err),
                                  &key, err);
        } else if (block->label == "ENCRYPTED PRIVATE KEY") {
            Bytes plain;
            ok = keyFromDecrypted(&plain, decryptPkcs8(block->der, password, &plain, err), &key, err);
        } else {
            ok = privateKeyFromDer(block->der.data(), block->der.size(), &key, err);
        }
        for (pem::Block& b : blocks) wipe(&b.der);
        if (!ok) return false;
    } else if (!privateKeyFromDer(content.data(), content.size(), &key, nullptr)) {
        if (!looksEncrypted(content)) {
            if (err) *err = "no private key in the file (neither PEM nor a DER key)";
            return false;
        }
        if (password.empty()) {
            if (err) *err = kPasswordNeeded;
            return false;
        }
        Bytes plain;
        if (!keyFromDecrypted(&plain, decryptPkcs8(content, password, &plain, err), &key, err)) return false;
    }
    return makePrivateKey(std::move(key), out, err);
}

bool privateKeyPem(const PrivateKey& key, const std::string& password, std::string* out, std::string* err) {
    if (key.empty()) {
        if (err) *err = "no private key";
        return false;
    }
    Bytes info;
    if (!privateKeyInfo(key.state()->key.get(), &info, err)) return false;
    if (password.empty()) {
        *out = pem::write("PRIVATE KEY", info);
        wipe(&info);
        return true;
    }
    Bytes encrypted;
    bool ok = encryptPkcs8(info, password, &encrypted, err);
    wipe(&info);
    if (ok) *out = pem::write("ENCRYPTED PRIVATE KEY", encrypted);
    return ok;
}

}  // namespace tovrin::crypto
