#include "src/sis9/signature_text.h"

#include <cstdio>

#include "src/crypto/utc_time.h"

namespace tovrin::sis9 {
namespace {

std::string hex(uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(v));
    return text;
}

}  // namespace

std::string formatTime(int64_t seconds, bool iso) {
    const crypto::CivilTime t = crypto::civilFromSeconds(seconds);
    char text[48];
    std::snprintf(text, sizeof text, iso ? "%04d-%02d-%02dT%02d:%02d:%02dZ"
                                         : "%04d-%02d-%02d %02d:%02d:%02d",
                  t.year, t.month, t.day, t.hour, t.minute, t.second);
    return text;
}

std::string expiredLine(const crypto::CertificateInfo& signer) {
    return "signed by " + signer.subject + ", certificate expired on " +
           formatTime(signer.notAfter).substr(0, 10) +
           ": a phone refuses to install it unless its date is set back";
}

std::string formatChains(const std::vector<ChainResult>& chains) {
    std::string out;
    for (const ChainResult& r : chains) {
        const SignatureChain& c = *r.chain;
        out += "chain " + std::to_string(r.index) + " of " + r.controller->path + ": " +
               crypto::algorithmName(r.algorithm) + " (" + c.algorithmOid + "), " +
               std::to_string(c.signature.size()) + " bytes, signs " + hex(c.signedBegin) + "-" +
               hex(c.signedEnd) + ": " + (r.verified ? "verified" : "NOT verified, " + r.error) +
               "\n";
        if (c.signatureCount > 1) {
            out += "  " + std::to_string(c.signatureCount - 1) +
                   " further signatures in the chain, not checked\n";
        }
        for (size_t i = 0; i < r.certificates.size(); ++i) {
            const CertificateResult& cert = r.certificates[i];
            out += "  certificate " + std::to_string(i) + ": ";
            if (!cert.decoded) {
                out += "cannot be decoded: " + cert.error + "\n";
                continue;
            }
            const crypto::CertificateInfo& info = cert.info;
            out += info.subject + "\n    issuer: " + info.issuer + "\n    serial: " +
                   info.serialHex + ", " + info.keyAlgorithm + " " + std::to_string(info.keyBits) +
                   " bits" + (info.selfSigned ? ", self-signed" : "") +
                   (cert.hasIssuer ? (cert.signedByIssuer ? ", signed by the next certificate"
                                                          : ", NOT signed by the next certificate")
                                   : "") +
                   "\n    valid: " + formatTime(info.notBefore) + " to " +
                   formatTime(info.notAfter) + " (UTC)" +
                   (cert.expired ? ", expired" : cert.notYetValid ? ", not yet valid" : "") + "\n";
        }
    }
    return out;
}

}  // namespace tovrin::sis9
