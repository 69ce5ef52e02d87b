#pragma once
// Every signature of a package, chain by chain and controller by controller (embedded
// controllers keep their own chains): verified over exactly the bytes it covers (the
// controller body from its first member up to the start of the chain), and every certificate
// decoded, judged against the next one of its chain and against a day.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "src/crypto/certificate.h"
#include "src/crypto/signature.h"
#include "src/sis9/sis9_reader.h"
#include "src/sis9/sis9_verify.h"

namespace tovrin::sis9 {

struct CertificateResult {
    bool decoded = false;
    std::string error;  // when not decoded
    crypto::CertificateInfo info;
    bool expired = false;      // not after < the day judged
    bool notYetValid = false;  // not before > the day judged
    bool hasIssuer = false;    // a further certificate follows in the chain
    bool signedByIssuer = false;
};

struct ChainResult {
    const Controller* controller = nullptr;
    size_t index = 0;  // within its controller
    const SignatureChain* chain = nullptr;
    crypto::SignatureAlgorithm algorithm = crypto::SignatureAlgorithm::Unsupported;
    bool verified = false;
    std::string error;  // when not verified
    std::vector<CertificateResult> certificates;
};

// `now`: the day to judge validity by, in seconds since 1970-01-01 00:00:00 UTC.
std::vector<ChainResult> verifySignatures(const Package& package, int64_t now);

// The checks the chains give: one per chain (failed when its signature does not verify), a
// warning per certificate that has expired or is not yet valid, a warning when the chain is out
// of order, and a warning for files that ask for capabilities a self-signed or unsigned package
// may not have.
void addSignatureChecks(const Package& package, const std::vector<ChainResult>& chains,
                        Verification* verification);

// A warning per file of `controller` (its own install block) that asks for capabilities beyond
// those the user may grant, which an unsigned or (`selfSigned`) self-signed package may not have.
std::vector<std::pair<const FileDescription*, std::string>> capabilityWarnings(
    const Controller& controller, bool selfSigned);

// True when some chain's signing certificate was issued by someone else than its subject.
bool signedByAuthority(const std::vector<ChainResult>& chains);

}  // namespace tovrin::sis9
