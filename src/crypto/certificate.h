#pragma once
// X.509 certificates, decoded with libksba: what a listing shows of each, a chain blob split into
// its certificates, the PEM or DER files users give, and whether one certificate is signed by
// another's key.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovrin::crypto {

using Bytes = std::vector<uint8_t>;

struct CertificateInfo {
    std::string subject;    // distinguished names as "CN=...,O=...,C=...", an e-mail address as E=...
    std::string issuer;
    std::string serialHex;  // the serial number in hex, most significant first, without the zero
                            // byte DER puts before a set top bit ("00" for serial 0)
    int64_t notBefore = 0;  // seconds since 1970-01-01 00:00:00 UTC
    int64_t notAfter = 0;
    std::string keyAlgorithm;  // "RSA" or "DSA" (or what else the certificate names)
    unsigned keyBits = 0;
    bool selfSigned = false;  // subject equals issuer and its own key verifies its signature
};

// Decodes one DER certificate. False with a message when it is not one.
bool decodeCertificate(const Bytes& der, CertificateInfo* out, std::string* err);

// Splits the concatenated DER certificates of a chain blob (each a DER SEQUENCE, back to back).
// False with a message when the bytes are not such a sequence of elements.
bool splitCertificates(const uint8_t* data, size_t size, std::vector<Bytes>* out, std::string* err);

// A certificate file as users have them: one or more PEM blocks ("-----BEGIN CERTIFICATE-----"),
// or DER certificates back to back. The certificates in file order.
bool loadCertificateFile(const Bytes& content, std::vector<Bytes>* out, std::string* err);

std::string certificatePem(const Bytes& der);

// True when `issuer`'s public key verifies the signature of `certificate`.
bool certificateSignedBy(const Bytes& certificate, const Bytes& issuer);

}  // namespace tovrin::crypto
