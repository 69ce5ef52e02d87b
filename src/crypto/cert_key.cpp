#include "src/crypto/cert_key.h"

#include <cctype>

#include "src/crypto/der.h"
#include "src/crypto/gcrypt_setup.h"
#include "src/crypto/mpi.h"

namespace tovrin::crypto {

namespace {

// libksba's canonical S-expressions carry their own length; libgcrypt wants it given.
bool sexpFromCanonical(const unsigned char* canon, Sexp* out) {
    if (canon == nullptr) return false;
    size_t length = gcry_sexp_canon_len(canon, 0, nullptr, nullptr);
    return length != 0 && gcry_sexp_sscan(out->out(), nullptr, reinterpret_cast<const char*>(canon), length) == 0;
}

// libksba reports the damage it meets on standard error, where it would garble a listing; so
// the outline is checked first: every constructed element holds whole elements to the end, and
// the BIT STRINGs of the certificate itself (key and signature) use all their bits.
bool wellFormed(const uint8_t* data, size_t size, int depth) {
    der::Reader reader(data, size);
    while (!reader.atEnd()) {
        der::Element e;
        if (!reader.next(&e)) return false;
        if (e.tag & 0x20) {
            if (depth == 0 || !wellFormed(e.value, e.size, depth - 1)) return false;
        } else if (e.tag == der::BitString && (e.size == 0 || e.value[0] != 0)) {
            return false;
        }
    }
    return true;
}

// A DSA verification whose two exponents h/s and r/s mod q are both zero makes libgcrypt assert
// (and so abort the program). With q prime and 0 < r, s < q that cannot be; a damaged key's q
// need not be prime, and proving it is costs more than the verification, so r/s itself is
// computed here and must not be zero.
bool dsaSignatureComputable(gcry_sexp_t key, gcry_sexp_t sigVal) {
    Mpi q = mpiOf(key, "q"), r = mpiOf(sigVal, "r"), s = mpiOf(sigVal, "s");
    if (!q || !r || !s || gcry_mpi_cmp_ui(r.get(), 0) <= 0 || gcry_mpi_cmp(r.get(), q.get()) >= 0 ||
        gcry_mpi_cmp_ui(s.get(), 0) <= 0 || gcry_mpi_cmp(s.get(), q.get()) >= 0)
        return false;
    Mpi w(gcry_mpi_new(0)), u2(gcry_mpi_new(0));
    if (!gcry_mpi_invm(w.get(), s.get(), q.get())) return false;
    gcry_mpi_mulm(u2.get(), r.get(), w.get(), q.get());
    return gcry_mpi_cmp_ui(u2.get(), 0) != 0;
}

}  // namespace

bool KsbaCertificate::load(const Bytes& der, std::string* err) {
    ensureGcrypt();
    der::Reader reader(der);
    der::Element whole;
    // libksba reads the first element and ignores what follows; a certificate file or blob with
    // more than that is a chain, not one certificate.
    if (!reader.next(der::Sequence, &whole) || !reader.atEnd() || !wellFormed(der.data(), der.size(), 16)) {
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

bool dsaKeySound(gcry_sexp_t key, bool provePrime) {
    Mpi p = mpiOf(key, "p"), q = mpiOf(key, "q"), g = mpiOf(key, "g"), y = mpiOf(key, "y");
    if (!p || !q || !g || !y || gcry_mpi_cmp_ui(q.get(), 2) <= 0 || gcry_mpi_cmp(q.get(), p.get()) >= 0 ||
        gcry_mpi_cmp_ui(g.get(), 1) <= 0 || gcry_mpi_cmp(g.get(), p.get()) >= 0 || gcry_mpi_cmp_ui(y.get(), 1) <= 0 ||
        gcry_mpi_cmp(y.get(), p.get()) >= 0)
        return false;
    Mpi rest(gcry_mpi_new(0)), pMinusOne(gcry_mpi_new(0));
    gcry_mpi_sub_ui(pMinusOne.get(), p.get(), 1);
    gcry_mpi_mod(rest.get(), pMinusOne.get(), q.get());
    return gcry_mpi_cmp_ui(rest.get(), 0) == 0 && (!provePrime || gcry_prime_check(q.get(), 0) == 0);
}

bool verifyDigest(gcry_sexp_t key, int hashAlgo, const uint8_t* digest, size_t size, gcry_sexp_t sigVal) {
    ensureGcrypt();
    std::string algorithm = keyAlgorithmOf(key);
    Sexp data;
    gpg_error_t e;
    if (algorithm == "RSA") {
        Mpi n = mpiOf(key, "n"), exponent = mpiOf(key, "e");
        if (!n || !exponent || gcry_mpi_cmp_ui(n.get(), 1) <= 0 || gcry_mpi_cmp_ui(exponent.get(), 1) <= 0)
            return false;
        e = gcry_sexp_build(data.out(), nullptr, "(data (flags pkcs1) (hash %s %b))",
                            gcry_md_algo_name(hashAlgo), static_cast<int>(size), digest);
    } else if (algorithm == "DSA") {
        if (!dsaKeySound(key, false) || !dsaSignatureComputable(key, sigVal)) return false;
        // DSA signs the digest itself, cut to the size of q by libgcrypt when longer.
        e = gcry_sexp_build(data.out(), nullptr, "(data (flags raw) (value %b))", static_cast<int>(size), digest);
    } else {
        return false;
    }
    return e == 0 && gcry_pk_verify(sigVal, data.get(), key) == 0;
}

}  // namespace tovrin::crypto
