#include "src/crypto/signature.h"

#include "src/crypto/cert_key.h"
#include "src/crypto/der.h"
#include "src/crypto/sha1.h"

namespace tovrin::crypto {

SignatureAlgorithm algorithmFromOid(const std::string& oid) {
    if (oid == "1.2.840.113549.1.1.5") return SignatureAlgorithm::RsaSha1;
    if (oid == "1.2.840.10040.4.3") return SignatureAlgorithm::DsaSha1;
    return SignatureAlgorithm::Unsupported;
}

const char* algorithmName(SignatureAlgorithm algorithm) {
    switch (algorithm) {
    case SignatureAlgorithm::RsaSha1: return "RSA-SHA1";
    case SignatureAlgorithm::DsaSha1: return "DSA-SHA1";
    case SignatureAlgorithm::Unsupported: break;
    }
    return "unsupported";
}

namespace {

// The DSA blob: DER SEQUENCE { INTEGER r, INTEGER s } and then zero bytes up to its fixed size,
// which a strict DER reader would refuse; anything but zeros after the sequence is damage.
bool dsaSigVal(const Bytes& blob, Sexp* sigVal, std::string* err) {
    der::Reader reader(blob);
    der::Element seq, r, s;
    if (!reader.next(der::Sequence, &seq)) {
        if (err) *err = "the DSA signature is not a DER sequence";
        return false;
    }
    der::Reader inner(seq);
    if (!inner.next(der::Integer, &r) || !inner.next(der::Integer, &s) || !inner.atEnd()) {
        if (err) *err = "the DSA signature does not hold two integers";
        return false;
    }
    for (const uint8_t* p = reader.position(); p != blob.data() + blob.size(); ++p) {
        if (*p != 0) {
            if (err) *err = "the DSA signature has other bytes than zeros after its value";
            return false;
        }
    }
    Bytes rb = der::unsignedInteger(r), sb = der::unsignedInteger(s);
    if (gcry_sexp_build(sigVal->out(), nullptr, "(sig-val (dsa (r %b) (s %b)))", static_cast<int>(rb.size()),
                        rb.data(), static_cast<int>(sb.size()), sb.data()) != 0) {
        if (err) *err = "the DSA signature cannot be read";
        return false;
    }
    return true;
}

}  // namespace

bool verifySignature(SignatureAlgorithm algorithm, const Bytes& certificateDer, const uint8_t* data,
                     size_t size, const Bytes& signature, std::string* err) {
    if (algorithm == SignatureAlgorithm::Unsupported) {
        if (err) *err = "unsupported signature algorithm";
        return false;
    }
    KsbaCertificate cert;
    std::string why;
    if (!cert.load(certificateDer, &why)) {
        if (err) *err = "signing certificate: " + why;
        return false;
    }
    Sexp key;
    if (!certificatePublicKey(cert, &key, err)) return false;
    std::string keyKind = keyAlgorithmOf(key.get());
    const char* wanted = algorithm == SignatureAlgorithm::RsaSha1 ? "RSA" : "DSA";
    if (keyKind != wanted) {
        if (err) *err = std::string("a ") + algorithmName(algorithm) + " signature, but the certificate's key is " +
                        (keyKind.empty() ? "of an unknown kind" : keyKind);
        return false;
    }
    Sexp sigVal;
    if (algorithm == SignatureAlgorithm::RsaSha1) {
        if (signature.empty() || signature.size() > (gcry_pk_get_nbits(key.get()) + 7) / 8) {
            if (err) *err = "the RSA signature is " + std::to_string(signature.size()) +
                            " bytes, longer than the key's modulus";
            return false;
        }
        if (gcry_sexp_build(sigVal.out(), nullptr, "(sig-val (rsa (s %b)))", static_cast<int>(signature.size()),
                            signature.data()) != 0) {
            if (err) *err = "the RSA signature cannot be read";
            return false;
        }
    } else if (!dsaSigVal(signature, &sigVal, err)) {
        return false;
    }
    Sha1Digest digest = sha1(data, size);
    if (!verifyDigest(key.get(), GCRY_MD_SHA1, digest.data(), digest.size(), sigVal.get())) {
        if (err) *err = "the signature does not match the signed data";
        return false;
    }
    return true;
}

}  // namespace tovrin::crypto
