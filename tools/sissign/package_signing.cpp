#include "tools/sissign/package_signing.h"

#include <ctime>
#include <memory>

#include "src/compiler/pending_file.h"
#include "src/crypto/signature.h"
#include "src/sis/byte_source.h"
#include "src/sis9/package_parts.h"
#include "src/sis9/package_rewrite.h"
#include "src/sis9/signature_chains.h"
#include "src/sis9/sis9_format.h"

namespace tovrin::sissign {
namespace {

struct OpenPackage {
    sis::FileSource source;
    sis9::PackageParts parts;
    sis9::ControllerChains chains;
};

bool openPackage(const std::string& path, OpenPackage* package, std::string* err) {
    std::string message;
    if (!package->source.open(path, &message) ||
        !sis9::readPackageParts(package->source, &package->parts, &message) ||
        !sis9::findChains(package->parts.controller, &package->chains, &message)) {
        *err = path + ": " + message;
        return false;
    }
    return true;
}

// Writes the package with `controller` to `out` through a temporary name. The source is closed
// before the rename, so `out` may name the input itself.
bool writeOut(std::unique_ptr<OpenPackage> package, const std::vector<uint8_t>& controller,
              const std::string& out, std::string* err) {
    makesis::PendingFile pending(out);
    std::string message;
    if (!pending.open(&message)) {
        *err = out + ": " + message;
        return false;
    }
    if (!sis9::writePackage(package->source, package->parts, controller, pending.stream(),
                            &message)) {
        *err = out + ": " + message;
        return false;
    }
    package.reset();
    if (!pending.commit(&message)) {
        *err = out + ": " + message;
        return false;
    }
    return true;
}

std::string day(int64_t seconds) {
    const std::time_t t = std::time_t(seconds);
    std::tm parts{};
#ifdef _WIN32
    gmtime_s(&parts, &t);
#else
    gmtime_r(&t, &parts);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d", &parts);
    return text;
}

}  // namespace

bool signPackage(const std::string& in, const std::string& out,
                 const std::vector<crypto::Bytes>& certificates, const crypto::PrivateKey& key,
                 std::string* err) {
    auto package = std::make_unique<OpenPackage>();
    if (!openPackage(in, package.get(), err)) return false;
    const std::vector<uint8_t>& controller = package->parts.controller;
    const sis9::ControllerChains& chains = package->chains;
    crypto::Bytes signature;
    std::string message;
    if (!crypto::signData(key, controller.data() + chains.bodyOffset,
                          chains.dataIndexOffset - chains.bodyOffset, &signature, &message)) {
        *err = in + ": cannot sign: " + message;
        return false;
    }
    crypto::Bytes blob;
    for (const crypto::Bytes& certificate : certificates)
        blob.insert(blob.end(), certificate.begin(), certificate.end());
    const char* oid =
        key.algorithm() == crypto::SignatureAlgorithm::DsaSha1 ? sis9::kOidDsaSha1 : sis9::kOidRsaSha1;
    const std::vector<uint8_t> chain = sis9::encodeChain(oid, signature, blob);
    const std::vector<uint8_t> signedController = sis9::withChain(controller, chains, chain);
    return writeOut(std::move(package), signedController, out, err);
}

bool unsignPackage(const std::string& in, const std::string& out, std::string* err) {
    auto package = std::make_unique<OpenPackage>();
    if (!openPackage(in, package.get(), err)) return false;
    const std::vector<uint8_t> controller =
        sis9::withoutChains(package->parts.controller, package->chains);
    return writeOut(std::move(package), controller, out, err);
}

bool showChains(const std::string& in, std::ostream& out, bool* allVerify, std::string* err) {
    OpenPackage package;
    if (!openPackage(in, &package, err)) return false;
    const std::vector<uint8_t>& controller = package.parts.controller;
    *allVerify = true;
    if (package.chains.chains.empty()) {
        out << in << ": not signed\n";
        return true;
    }
    const size_t count = package.chains.chains.size();
    out << in << ": " << count << (count == 1 ? " signature chain\n" : " signature chains\n");
    for (size_t i = 0; i < count; ++i) {
        const sis9::ChainSpan& span = package.chains.chains[i];
        sis9::Chain chain;
        std::string message;
        out << "chain " << i + 1 << ":";
        if (!sis9::decodeChain(controller.data() + span.offset, span.size, &chain, &message)) {
            out << " damaged: " << message << "\n";
            *allVerify = false;
            continue;
        }
        std::vector<crypto::Bytes> certificates;
        if (!crypto::splitCertificates(chain.certificates.data(), chain.certificates.size(),
                                       &certificates, &message))
            certificates.clear();
        for (const sis9::ChainSignature& signature : chain.signatures) {
            const crypto::SignatureAlgorithm algorithm =
                crypto::algorithmFromOid(signature.algorithmOid);
            out << " " << crypto::algorithmName(algorithm) << " (" << signature.algorithmOid
                << ")";
            std::string why;
            const bool verified =
                !certificates.empty() &&
                crypto::verifySignature(algorithm, certificates[0],
                                        controller.data() + package.chains.bodyOffset,
                                        span.offset - package.chains.bodyOffset, signature.value,
                                        &why);
            if (certificates.empty()) why = "no certificate: " + message;
            out << (verified ? " verifies" : " does not verify: " + why);
            *allVerify = *allVerify && verified;
        }
        if (chain.signatures.empty()) {
            out << " no signature";
            *allVerify = false;
        }
        out << "\n";
        for (size_t k = 0; k < certificates.size(); ++k) {
            crypto::CertificateInfo info;
            out << "  certificate " << k + 1 << ": ";
            if (!crypto::decodeCertificate(certificates[k], &info, &message)) {
                out << "undecodable: " << message << "\n";
                continue;
            }
            out << info.subject << "\n    issuer " << info.issuer
                << (info.selfSigned ? " (self-signed)" : "") << "\n    valid " << day(info.notBefore)
                << " to " << day(info.notAfter) << ", " << info.keyAlgorithm << " " << info.keyBits
                << " bits, serial " << info.serialHex << "\n";
        }
    }
    return true;
}

}  // namespace tovrin::sissign
