#include "src/crypto/cert_key.h"

#include <cctype>

#include "src/crypto/der.h"
#include "src/crypto/gcrypt_setup.h"

namespace tovrin::crypto {

namespace {

// libksba's canonical S-expressions carry their own length; libgcrypt wants it given.
bool sexpFromCanonical(const unsigned char* canon, Sexp* out) {
    if (canon == nullptr) return false;
    size_t length = gcry_sexp_canon_len(canon, 0, nullptr, nullptr);
    return length != 0 && gcry_sexp_sscan(out->out(), nullptr, reinterpret_cast<const char*>(canon), length) == 0;
}

}  // namespace

bool KsbaCertificate::load(const Bytes& der, std::string* err) {
    ensureGcrypt();
    der::Reader reader(der);
    der::Element whole;
    // libksba reads the first element and ignores what follows; a certificate file or blob with
    // more than that is a chain, not one certificate.
    if (!reader.next(der::Sequence, &whole) || !reader.atEnd()) {
        if (err) *err = "not a DER certificate";
        return false;
    }
    ksba_cert_release(cert_);
    cert_ = nullptr;
    if (ksba_cert_new(&cert_) != 0) {
        if (err) *err = "out of memory";
        return false;
    }
    gpg_error_t e = ksba_cert_init_from_mem(cert_, der.data(), der.size());
    if (e != 0) {
        if (err) *err = std::string("not a valid certificate (") + gpg_strerror(e) + ")";
        return false;
    }
    // libksba takes any SEQUENCE without complaint and finds the fields missing only when asked
    // for them; a certificate has at least a signature algorithm and a public key.
    ksba_sexp_t key = ksba_cert_get_public_key(cert_);
    bool complete = key != nullptr && ksba_cert_get_digest_algo(cert_) != nullptr;
    ksba_free(key);
    if (!complete) {
        if (err) *err = "not a valid certificate";
        return false;
    }
    return true;
}

bool certificatePublicKey(const KsbaCertificate& cert, Sexp* key, std::string* err) {
    ksba_sexp_t canon = ksba_cert_get_public_key(cert.get());
    bool ok = sexpFromCanonical(canon, key);
    ksba_free(canon);
    if (!ok && err) *err = "the certificate's public key cannot be read";
    return ok;
}

std::string keyAlgorithmOf(gcry_sexp_t key) {
    Sexp inner(gcry_sexp_nth(key, 1));
    if (inner.get() == nullptr) return {};
    size_t n = 0;
    const char* name = gcry_sexp_nth_data(inner.get(), 0, &n);
    if (name == nullptr) return {};
    std::string algorithm(name, n);
    for (char& c : algorithm) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return algorithm;
}

bool verifyDigest(gcry_sexp_t key, int hashAlgo, const uint8_t* digest, size_t size, gcry_sexp_t sigVal) {
    ensureGcrypt();
    std::string algorithm = keyAlgorithmOf(key);
    Sexp data;
    gpg_error_t e;
    if (algorithm == "RSA") {
        e = gcry_sexp_build(data.out(), nullptr, "(data (flags pkcs1) (hash %s %b))",
                            gcry_md_algo_name(hashAlgo), static_cast<int>(size), digest);
    } else if (algorithm == "DSA") {
        // DSA signs the digest itself, cut to the size of q by libgcrypt when longer.
        e = gcry_sexp_build(data.out(), nullptr, "(data (flags raw) (value %b))", static_cast<int>(size), digest);
    } else {
        return false;
    }
    return e == 0 && gcry_pk_verify(sigVal, data.get(), key) == 0;
}

}  // namespace tovrin::crypto
