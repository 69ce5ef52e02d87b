#include "src/crypto/key_structures.h"

#include "src/crypto/cert_key.h"
#include "src/crypto/der.h"
#include "src/crypto/gcrypt_setup.h"
#include "src/crypto/mpi.h"

namespace tovrin::crypto {

namespace {

const char kRsaOid[] = "1.2.840.113549.1.1.1";
const char kDsaOid[] = "1.2.840.10040.4.1";

// The INTEGERs of a SEQUENCE that holds nothing else, when there are exactly `count`.
bool integers(const der::Element& seq, size_t count, std::vector<Mpi>* out) {
    out->clear();
    der::Reader reader(seq);
    der::Element e;
    while (reader.next(der::Integer, &e)) {
        if (e.size != 0 && (e.value[0] & 0x80)) return false;  // negative: no key has one
        out->push_back(Mpi::fromBytes(der::unsignedInteger(e)));
        if (!out->back()) return false;
    }
    return reader.atEnd() && out->size() == count;
}

bool rsaKey(const der::Element& seq, Sexp* key) {
    std::vector<Mpi> v;
    if (!integers(seq, 9, &v) || gcry_mpi_cmp_ui(v[0].get(), 0) != 0) return false;
    // n e d p q dp dq qinv: libgcrypt's p is PKCS #1's q, so that u = qinv.
    return gcry_sexp_build(key->out(), nullptr, "(private-key (rsa (n %m) (e %m) (d %m) (p %m) (q %m) (u %m)))",
                           v[1].get(), v[2].get(), v[3].get(), v[5].get(), v[4].get(), v[8].get()) == 0;
}

bool dsaKey(const Mpi& p, const Mpi& q, const Mpi& g, const Mpi& y, const Mpi& x, Sexp* key) {
    return gcry_sexp_build(key->out(), nullptr, "(private-key (dsa (p %m) (q %m) (g %m) (y %m) (x %m)))", p.get(),
                           q.get(), g.get(), y.get(), x.get()) == 0;
}

bool traditionalDsaKey(const der::Element& seq, Sexp* key) {
    std::vector<Mpi> v;
    if (!integers(seq, 6, &v) || gcry_mpi_cmp_ui(v[0].get(), 0) != 0) return false;
    return dsaKey(v[1], v[2], v[3], v[4], v[5], key);
}

bool pkcs8Key(const der::Element& seq, Sexp* key, std::string* err) {
    der::Reader reader(seq);
    der::Element version, algorithm, oid, keyOctets;
    if (!reader.next(der::Integer, &version) || version.size != 1 || version.value[0] != 0 ||
        !reader.next(der::Sequence, &algorithm) || !reader.next(der::OctetString, &keyOctets))
        return false;
    der::Reader alg(algorithm);
    if (!alg.next(der::Oid, &oid)) return false;
    std::string name = der::oidText(oid);
    der::Reader inner(keyOctets.value, keyOctets.size);
    der::Element body;
    if (name == kRsaOid) return inner.next(der::Sequence, &body) && inner.atEnd() && rsaKey(body, key);
    if (name == kDsaOid) {
        der::Element params, x;
        std::vector<Mpi> pqg;
        if (!alg.next(der::Sequence, &params) || !integers(params, 3, &pqg) || !inner.next(der::Integer, &x) ||
            !inner.atEnd())
            return false;
        Mpi xm = Mpi::fromBytes(der::unsignedInteger(x));
        // PKCS #8 leaves out the public value; it is g^x mod p.
        Mpi y(gcry_mpi_new(0));
        gcry_mpi_powm(y.get(), pqg[2].get(), xm.get(), pqg[0].get());
        return dsaKey(pqg[0], pqg[1], pqg[2], y, xm, key);
    }
    if (err) *err = "unsupported kind of private key (algorithm " + name + ")";
    return false;
}

Mpi minusOne(const Mpi& m) {
    Mpi r(gcry_mpi_new(0));
    gcry_mpi_sub_ui(r.get(), m.get(), 1);
    return r;
}

Mpi mod(const Mpi& a, const Mpi& m) {
    Mpi r(gcry_mpi_new(0));
    gcry_mpi_mod(r.get(), a.get(), m.get());
    return r;
}

}  // namespace

bool privateKeyFromDer(const uint8_t* data, size_t size, Sexp* key, std::string* err) {
    ensureGcrypt();
    der::Reader reader(data, size);
    der::Element seq;
    std::string why;
    if (reader.next(der::Sequence, &seq) && reader.atEnd() &&
        (pkcs8Key(seq, key, &why) || rsaKey(seq, key) || traditionalDsaKey(seq, key)))
        return true;
    if (err) *err = why.empty() ? "not a private key" : why;
    return false;
}

bool privateKeyInfo(gcry_sexp_t key, std::vector<uint8_t>* der, std::string* err) {
    std::string algorithm = keyAlgorithmOf(key);
    if (algorithm == "RSA") {
        Mpi n = mpiOf(key, "n"), e = mpiOf(key, "e"), d = mpiOf(key, "d"), p = mpiOf(key, "p"), q = mpiOf(key, "q"),
            u = mpiOf(key, "u");
        if (!n || !e || !d || !p || !q || !u) {
            if (err) *err = "the RSA key is incomplete";
            return false;
        }
        // PKCS #1's p is libgcrypt's q (see the header).
        std::vector<uint8_t> rsa = der::sequence({der::integer(uint64_t{0}), der::integer(n.bytes()),
                                                  der::integer(e.bytes()), der::integer(d.bytes()),
                                                  der::integer(q.bytes()), der::integer(p.bytes()),
                                                  der::integer(mod(d, minusOne(q)).bytes()),
                                                  der::integer(mod(d, minusOne(p)).bytes()), der::integer(u.bytes())});
        *der = der::sequence({der::integer(uint64_t{0}), der::sequence({der::oid(kRsaOid), der::null()}),
                              der::octetString(rsa)});
        wipe(&rsa);
        return true;
    }
    if (algorithm == "DSA") {
        Mpi p = mpiOf(key, "p"), q = mpiOf(key, "q"), g = mpiOf(key, "g"), x = mpiOf(key, "x");
        if (!p || !q || !g || !x) {
            if (err) *err = "the DSA key is incomplete";
            return false;
        }
        std::vector<uint8_t> xDer = der::integer(x.bytes());
        *der = der::sequence(
            {der::integer(uint64_t{0}),
             der::sequence({der::oid(kDsaOid), der::sequence({der::integer(p.bytes()), der::integer(q.bytes()),
                                                              der::integer(g.bytes())})}),
             der::octetString(xDer)});
        wipe(&xDer);
        return true;
    }
    if (err) *err = "unsupported kind of private key";
    return false;
}

}  // namespace tovrin::crypto
