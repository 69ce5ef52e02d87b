#include "src/sis9/signature_text.h"

#include <cstdio>

namespace tovrin::sis9 {
namespace {

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civil(int64_t days, int64_t* y, unsigned* m, unsigned* d) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *d = doy - (153 * mp + 2) / 5 + 1;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = int64_t(yoe) + era * 400 + (*m <= 2);
}

std::string hex(uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(v));
    return text;
}

}  // namespace

std::string formatTime(int64_t seconds, bool iso) {
    int64_t days = seconds / 86400, rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    int64_t y;
    unsigned m, d;
    civil(days, &y, &m, &d);
    char text[48];
    std::snprintf(text, sizeof text, iso ? "%04lld-%02u-%02uT%02d:%02d:%02dZ"
                                         : "%04lld-%02u-%02u %02d:%02d:%02d",
                  static_cast<long long>(y), m, d, int(rest / 3600), int(rest / 60 % 60),
                  int(rest % 60));
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
