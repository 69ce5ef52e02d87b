#include "src/sis9/signature_report.h"

#include "src/sis9/signature_text.h"

namespace tovrin::sis9 {
namespace {

ChainResult verifyChain(const Package& p, const Controller& c, size_t index, int64_t now) {
    ChainResult r;
    r.controller = &c;
    r.index = index;
    r.chain = &c.chains[index];
    const SignatureChain& chain = *r.chain;
    r.algorithm = crypto::algorithmFromOid(chain.algorithmOid);

    std::vector<crypto::Bytes> certificates;
    std::string message;
    if (!crypto::splitCertificates(chain.certificates.data(), chain.certificates.size(),
                                   &certificates, &message)) {
        r.error = "certificates: " + message;
        return r;
    }
    for (size_t i = 0; i < certificates.size(); ++i) {
        CertificateResult cert;
        cert.decoded = crypto::decodeCertificate(certificates[i], &cert.info, &cert.error);
        if (cert.decoded) {
            cert.expired = cert.info.notAfter < now;
            cert.notYetValid = cert.info.notBefore > now;
        }
        cert.hasIssuer = i + 1 < certificates.size();
        cert.signedByIssuer =
            cert.hasIssuer && crypto::certificateSignedBy(certificates[i], certificates[i + 1]);
        r.certificates.push_back(std::move(cert));
    }
    if (r.algorithm == crypto::SignatureAlgorithm::Unsupported) {
        r.error = "algorithm " + chain.algorithmOid + " cannot be verified";
    } else if (certificates.empty()) {
        r.error = "no certificate";
    } else if (chain.signedEnd > p.controllerBytes.size() || chain.signedBegin > chain.signedEnd) {
        r.error = "the signed bytes lie outside the controller";
    } else if (!crypto::verifySignature(r.algorithm, certificates[0],
                                        p.controllerBytes.data() + chain.signedBegin,
                                        static_cast<size_t>(chain.signedEnd - chain.signedBegin),
                                        chain.signature, &message)) {
        r.error = message;
    } else {
        r.verified = true;
    }
    return r;
}

std::string chainName(const ChainResult& r) {
    return r.controller->path + "/chain " + std::to_string(r.index);
}

}  // namespace

std::vector<ChainResult> verifySignatures(const Package& package, int64_t now) {
    std::vector<ChainResult> out;
    forEachController(package.controller, [&](const Controller& c) {
        for (size_t i = 0; i < c.chains.size(); ++i) out.push_back(verifyChain(package, c, i, now));
    });
    return out;
}

bool signedByAuthority(const std::vector<ChainResult>& chains) {
    for (const ChainResult& r : chains) {
        if (r.controller->depth != 0 || r.certificates.empty()) continue;
        const CertificateResult& signer = r.certificates[0];
        if (signer.decoded && !signer.info.selfSigned) return true;
    }
    return false;
}

void addSignatureChecks(const Package& package, const std::vector<ChainResult>& chains,
                        Verification* v) {
    for (const ChainResult& r : chains) {
        const std::string name = chainName(r);
        std::string signer = "no certificate";
        if (!r.certificates.empty() && r.certificates[0].decoded) {
            signer = r.certificates[0].info.subject;
        }
        v->checks.push_back({name, r.verified ? Status::Ok : Status::Failed,
                             std::string(crypto::algorithmName(r.algorithm)) + " signature by " +
                                 signer + (r.verified ? " verifies" : ": " + r.error)});
        for (size_t i = 0; i < r.certificates.size(); ++i) {
            const CertificateResult& c = r.certificates[i];
            const std::string what = name + "/certificate " + std::to_string(i);
            if (!c.decoded) {
                v->checks.push_back({what, Status::Failed, "cannot be decoded: " + c.error});
                continue;
            }
            if (c.expired) {
                v->checks.push_back(
                    {what, Status::Warning,
                     i == 0 ? expiredLine(c.info)
                            : c.info.subject + " expired on " + formatTime(c.info.notAfter).substr(0, 10)});
            } else if (c.notYetValid) {
                v->checks.push_back({what, Status::Warning,
                                     c.info.subject + " is valid only from " +
                                         formatTime(c.info.notBefore).substr(0, 10)});
            }
            if (c.hasIssuer && !c.signedByIssuer) {
                v->checks.push_back({what, Status::Warning,
                                     "not signed by the next certificate of the chain"});
            }
        }
    }
    if (signedByAuthority(chains)) return;
    for (const auto& [file, warning] : capabilityWarnings(package.controller, !chains.empty()))
        v->checks.push_back({file->path, Status::Warning, warning});
}

std::vector<std::pair<const FileDescription*, std::string>> capabilityWarnings(
    const Controller& controller, bool selfSigned) {
    std::vector<std::pair<const FileDescription*, std::string>> warnings;
    forEachFile(controller, [&](const FileDescription& f) {
        const uint64_t restricted = restrictedCapabilities(f.capabilityBits());
        if (restricted == 0) return;
        warnings.emplace_back(
            &f, "asks for " + capabilityNames(restricted) + ", which " +
                    (selfSigned ? "a self-signed" : "an unsigned") +
                    " package may not have: a phone installs it only with a signature from a "
                    "trusted authority");
    });
    return warnings;
}

}  // namespace tovrin::sis9
