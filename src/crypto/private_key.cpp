#include "src/crypto/private_key.h"

#include "src/crypto/cert_key.h"
#include "src/crypto/der.h"
#include "src/crypto/gcrypt_setup.h"
#include "src/crypto/mpi.h"
#include "src/crypto/private_key_state.h"
#include "src/crypto/sha1.h"

namespace tovrin::crypto {

PrivateKey::PrivateKey() = default;
PrivateKey::~PrivateKey() = default;
PrivateKey::PrivateKey(PrivateKey&&) noexcept = default;
PrivateKey& PrivateKey::operator=(PrivateKey&&) noexcept = default;
PrivateKey::PrivateKey(std::unique_ptr<State> state) : state_(std::move(state)) {}

bool PrivateKey::empty() const { return state_ == nullptr; }

SignatureAlgorithm PrivateKey::algorithm() const {
    return state_ ? state_->algorithm : SignatureAlgorithm::Unsupported;
}

unsigned PrivateKey::bits() const { return state_ ? state_->bits : 0; }

namespace {

// libgcrypt's own key test checks only that p q = n for RSA; a damaged d or u would sign
// garbage. One signature over a fixed digest, checked with the public half, catches both.
bool signsAndVerifies(gcry_sexp_t key, bool rsa) {
    Sexp publicKey;
    gpg_error_t e;
    if (rsa) {
        Mpi n = mpiOf(key, "n"), exponent = mpiOf(key, "e");
        e = gcry_sexp_build(publicKey.out(), nullptr, "(public-key (rsa (n %m) (e %m)))", n.get(), exponent.get());
    } else {
        Mpi p = mpiOf(key, "p"), q = mpiOf(key, "q"), g = mpiOf(key, "g"), y = mpiOf(key, "y");
        e = gcry_sexp_build(publicKey.out(), nullptr, "(public-key (dsa (p %m) (q %m) (g %m) (y %m)))", p.get(),
                            q.get(), g.get(), y.get());
    }
    if (e != 0) return false;
    Sha1Digest digest = sha1("key check", 9);
    Sexp data, sig;
    return gcry_sexp_build(data.out(), nullptr, rsa ? "(data (flags pkcs1) (hash sha1 %b))" : "(data (flags rfc6979) (hash sha1 %b))",
                           static_cast<int>(digest.size()), digest.data()) == 0 &&
           gcry_pk_sign(sig.out(), data.get(), key) == 0 && gcry_pk_verify(sig.get(), data.get(), publicKey.get()) == 0;
}

}  // namespace

bool makePrivateKey(Sexp key, PrivateKey* out, std::string* err) {
    ensureGcrypt();
    std::string kind = keyAlgorithmOf(key.get());
    auto state = std::make_unique<PrivateKey::State>();
    if (kind == "RSA") {
        state->algorithm = SignatureAlgorithm::RsaSha1;
    } else if (kind == "DSA") {
        state->algorithm = SignatureAlgorithm::DsaSha1;
    } else {
        if (err) *err = "unsupported kind of private key";
        return false;
    }
    bool sound = kind == "RSA" || (dsaKeySound(key.get(), true) && [&key] {
                     Mpi q = mpiOf(key.get(), "q"), x = mpiOf(key.get(), "x");
                     return q && x && gcry_mpi_cmp_ui(x.get(), 0) > 0 && gcry_mpi_cmp(x.get(), q.get()) < 0;
                 }());
    if (!sound || gcry_pk_testkey(key.get()) != 0 || !signsAndVerifies(key.get(), kind == "RSA")) {
        if (err) *err = "the private key is damaged (its numbers do not make a " + kind + " key)";
        return false;
    }
    state->bits = gcry_pk_get_nbits(key.get());
    state->key = std::move(key);
    *out = PrivateKey(std::move(state));
    return true;
}

bool generateRsaKey(unsigned bits, PrivateKey* out, std::string* err) {
    if (bits < 1024 || bits > 4096) {
        if (err) *err = "an RSA key has 1024 to 4096 bits, not " + std::to_string(bits);
        return false;
    }
    ensureGcrypt();
    Sexp params, pair;
    if (gcry_sexp_build(params.out(), nullptr, "(genkey (rsa (nbits %u)))", bits) != 0 ||
        gcry_pk_genkey(pair.out(), params.get()) != 0) {
        if (err) *err = "the RSA key could not be made";
        return false;
    }
    Sexp key(gcry_sexp_find_token(pair.get(), "private-key", 0));
    return makePrivateKey(std::move(key), out, err);
}

bool signData(const PrivateKey& key, const uint8_t* data, size_t size, Bytes* signature, std::string* err) {
    if (key.empty()) {
        if (err) *err = "no private key";
        return false;
    }
    Sha1Digest digest = sha1(data, size);
    bool rsa = key.algorithm() == SignatureAlgorithm::RsaSha1;
    Sexp toSign, sig;
    // DSA's k comes from the key and the digest (RFC 6979), so the same input signs to the same
    // bytes on every host, as RSA PKCS #1 v1.5 does by itself.
    if (gcry_sexp_build(toSign.out(), nullptr, rsa ? "(data (flags pkcs1) (hash sha1 %b))" : "(data (flags rfc6979) (hash sha1 %b))",
                        static_cast<int>(digest.size()), digest.data()) != 0 ||
        gcry_pk_sign(sig.out(), toSign.get(), key.state()->key.get()) != 0) {
        if (err) *err = "signing failed";
        return false;
    }
    if (rsa) {
        Bytes s = mpiOf(sig.get(), "s").bytes();
        size_t length = (key.bits() + 7) / 8;
        if (s.size() > length) s.erase(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(s.size() - length));
        signature->assign(length - s.size(), 0);
        signature->insert(signature->end(), s.begin(), s.end());
    } else {
        *signature = der::sequence({der::integer(mpiOf(sig.get(), "r").bytes()), der::integer(mpiOf(sig.get(), "s").bytes())});
        if (signature->size() < 48) signature->resize(48, 0);  // the blob's fixed size in packages
    }
    return true;
}

bool keyMatchesCertificate(const PrivateKey& key, const Bytes& certificateDer) {
    if (key.empty()) return false;
    KsbaCertificate cert;
    Sexp publicKey;
    if (!cert.load(certificateDer, nullptr) || !certificatePublicKey(cert, &publicKey, nullptr)) return false;
    gcry_sexp_t own = key.state()->key.get();
    std::string kind = keyAlgorithmOf(own);
    if (keyAlgorithmOf(publicKey.get()) != kind) return false;
    const char* const rsaNames[] = {"n", "e", nullptr};
    const char* const dsaNames[] = {"p", "q", "g", "y", nullptr};
    for (const char* const* name = kind == "RSA" ? rsaNames : dsaNames; *name != nullptr; ++name) {
        Mpi a = mpiOf(own, *name), b = mpiOf(publicKey.get(), *name);
        if (!a || !b || gcry_mpi_cmp(a.get(), b.get()) != 0) return false;
    }
    return true;
}

}  // namespace tovrin::crypto
