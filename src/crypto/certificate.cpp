#include "src/crypto/certificate.h"

#include <cstring>

#include "src/crypto/cert_key.h"
#include "src/crypto/der.h"
#include "src/crypto/pem.h"
#include "src/crypto/utc_time.h"

namespace tovrin::crypto {

namespace {

std::string takeString(char* s) {
    std::string out = s != nullptr ? s : "";
    ksba_free(s);
    return out;
}

// libksba names attributes without a short name by their OID, the value as hex
// ("1.2.840.113549.1.9.1=#6A6F40..."). The e-mail address that developer certificates carry is
// shown as E=address instead, the name our own subject parser reads, when it is plain ASCII.
std::string readableName(const std::string& dn) {
    static const std::string kEmail = "1.2.840.113549.1.9.1=#";
    std::string out;
    size_t pos = 0;
    while (true) {
        size_t at = dn.find(kEmail, pos);
        if (at == std::string::npos || (at != 0 && dn[at - 1] != ',' && dn[at - 1] != '+')) break;
        size_t end = dn.find_first_not_of("0123456789ABCDEFabcdef", at + kEmail.size());
        if (end == std::string::npos) end = dn.size();
        std::string hex = dn.substr(at + kEmail.size(), end - at - kEmail.size());
        std::string value;
        bool plain = !hex.empty() && hex.size() % 2 == 0;
        for (size_t i = 0; plain && i < hex.size(); i += 2) {
            char c = static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
            plain = c >= 0x20 && c < 0x7F;
            if (std::strchr(",+\"<>;", c) != nullptr) value += '\\';
            value += c;
        }
        out += dn.substr(pos, at - pos);
        out += plain ? "E=" + value : dn.substr(at, end - at);
        pos = end;
    }
    return out + dn.substr(pos);
}

// A serial comes as the canonical S-expression "(N:bytes)".
std::string serialHex(ksba_sexp_t serial) {
    std::string hex;
    if (serial == nullptr || serial[0] != '(') return hex;
    char* end = nullptr;
    unsigned long n = std::strtoul(reinterpret_cast<const char*>(serial) + 1, &end, 10);
    if (end == nullptr || *end != ':') return hex;
    const auto* bytes = reinterpret_cast<const uint8_t*>(end + 1);
    // The zero byte that keeps a serial with its top bit set positive is not part of the number.
    size_t skip = 0;
    while (skip + 1 < n && bytes[skip] == 0) ++skip;
    static const char digits[] = "0123456789ABCDEF";
    for (size_t i = skip; i < n; ++i) {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 15];
    }
    return hex;
}

bool validity(ksba_cert_t cert, int what, int64_t* seconds) {
    ksba_isotime_t iso;
    return ksba_cert_get_validity(cert, what, iso) == 0 && secondsFromIsoTime(iso, seconds);
}

struct Hasher {
    gcry_md_hd_t md;
};

void feedHash(void* arg, const void* data, size_t size) {
    gcry_md_write(static_cast<Hasher*>(arg)->md, data, size);
}

// What lies outside the signed part must be as X.509 says, or the certificate has been changed
// where its signature does not show it: the algorithm beside the signature is the one inside the
// signed part, and a DSA or ECDSA signature is exactly SEQUENCE { INTEGER r, INTEGER s }
// (libksba reads the two numbers whatever their tags).
bool unsignedPartsSound(const Bytes& der) {
    der::Reader top(der);
    der::Element cert, tbs, outer, signature, first, inner, oid;
    if (!top.next(der::Sequence, &cert)) return false;
    der::Reader parts(cert);
    if (!parts.next(der::Sequence, &tbs) || !parts.next(der::Sequence, &outer) ||
        !parts.next(der::BitString, &signature) || !parts.atEnd())
        return false;
    der::Reader fields(tbs);
    if (fields.peekTag() == der::contextTag(0) && !fields.next(&first)) return false;  // the version
    if (!fields.next(der::Integer, &first) || !fields.next(der::Sequence, &inner) || inner.whole() != outer.whole())
        return false;
    der::Reader algorithm(outer);
    if (!algorithm.next(der::Oid, &oid)) return false;
    const std::string name = der::oidText(oid);
    for (const char* prefix : {"1.2.840.10040.4.", "2.16.840.1.101.3.4.3.", "1.2.840.10045.4."}) {
        if (name.compare(0, std::strlen(prefix), prefix) != 0) continue;
        if (signature.size < 1 || signature.value[0] != 0) return false;
        der::Reader value(signature.value + 1, signature.size - 1);
        der::Element seq, r, s;
        if (!value.next(der::Sequence, &seq) || !value.atEnd()) return false;
        der::Reader numbers(seq);
        return numbers.next(der::Integer, &r) && numbers.next(der::Integer, &s) && numbers.atEnd();
    }
    return true;
}

bool signedBy(const KsbaCertificate& cert, const KsbaCertificate& issuer) {
    Sexp key;
    if (!certificatePublicKey(issuer, &key, nullptr)) return false;
    const char* oid = ksba_cert_get_digest_algo(cert.get());
    int hashAlgo = oid != nullptr ? gcry_md_map_name(oid) : 0;
    if (hashAlgo == 0) return false;  // a digest libgcrypt lacks (MD2): never verified
    ksba_sexp_t canonSig = ksba_cert_get_sig_val(cert.get());
    Sexp sig;
    size_t sigLength = canonSig != nullptr ? gcry_sexp_canon_len(canonSig, 0, nullptr, nullptr) : 0;
    bool haveSig = sigLength != 0 &&
                   gcry_sexp_sscan(sig.out(), nullptr, reinterpret_cast<const char*>(canonSig), sigLength) == 0;
    ksba_free(canonSig);
    if (!haveSig) return false;
    Hasher hasher{};
    if (gcry_md_open(&hasher.md, hashAlgo, 0) != 0) return false;
    bool ok = false;
    if (ksba_cert_hash(cert.get(), 1, feedHash, &hasher) == 0) {
        gcry_md_final(hasher.md);
        ok = verifyDigest(key.get(), hashAlgo, gcry_md_read(hasher.md, hashAlgo),
                          gcry_md_get_algo_dlen(hashAlgo), sig.get());
    }
    gcry_md_close(hasher.md);
    return ok;
}

}  // namespace

bool decodeCertificate(const Bytes& der, CertificateInfo* out, std::string* err) {
    KsbaCertificate cert;
    if (!cert.load(der, err)) return false;
    CertificateInfo info;
    info.subject = readableName(takeString(ksba_cert_get_subject(cert.get(), 0)));
    info.issuer = readableName(takeString(ksba_cert_get_issuer(cert.get(), 0)));
    ksba_sexp_t serial = ksba_cert_get_serial(cert.get());
    info.serialHex = serialHex(serial);
    ksba_free(serial);
    if (!validity(cert.get(), 0, &info.notBefore) || !validity(cert.get(), 1, &info.notAfter)) {
        if (err) *err = "the certificate's validity cannot be read";
        return false;
    }
    Sexp key;
    if (!certificatePublicKey(cert, &key, err)) return false;
    info.keyAlgorithm = keyAlgorithmOf(key.get());
    info.keyBits = gcry_pk_get_nbits(key.get());
    info.selfSigned = info.subject == info.issuer && unsignedPartsSound(der) && signedBy(cert, cert);
    *out = std::move(info);
    return true;
}

bool splitCertificates(const uint8_t* data, size_t size, std::vector<Bytes>* out, std::string* err) {
    out->clear();
    der::Reader reader(data, size);
    while (!reader.atEnd()) {
        size_t offset = size - reader.remaining();
        der::Element element;
        if (!reader.next(der::Sequence, &element)) {
            if (err) *err = "certificate chain: no DER certificate at byte " + std::to_string(offset);
            return false;
        }
        out->push_back(element.whole());
    }
    return true;
}

bool loadCertificateFile(const Bytes& content, std::vector<Bytes>* out, std::string* err) {
    out->clear();
    if (pem::looksLikePem(content)) {
        std::vector<pem::Block> blocks;
        if (!pem::readBlocks(content, &blocks, err)) return false;
        for (pem::Block& block : blocks)
            if (block.label == "CERTIFICATE" || block.label == "X509 CERTIFICATE") out->push_back(std::move(block.der));
    } else if (!splitCertificates(content.data(), content.size(), out, err)) {
        return false;
    }
    if (out->empty()) {
        if (err) *err = "no certificate in the file";
        return false;
    }
    for (size_t i = 0; i < out->size(); ++i) {
        KsbaCertificate cert;
        std::string why;
        if (!cert.load((*out)[i], &why)) {
            if (err) *err = "certificate " + std::to_string(i + 1) + ": " + why;
            return false;
        }
    }
    return true;
}

std::string certificatePem(const Bytes& der) { return pem::write("CERTIFICATE", der); }

bool certificateSignedBy(const Bytes& certificate, const Bytes& issuer) {
    KsbaCertificate cert, issuerCert;
    return unsignedPartsSound(certificate) && cert.load(certificate, nullptr) && issuerCert.load(issuer, nullptr) &&
           signedBy(cert, issuerCert);
}

}  // namespace tovrin::crypto
