#include "tools/sissign/package_signing.h"

#include <ctime>
#include <memory>

#include "src/compiler/pending_file.h"
#include "src/crypto/signature.h"
#include "src/sis/byte_source.h"
#include "src/sis9/package_parts.h"
#include "src/sis9/package_rewrite.h"
#include "src/sis9/signature_chains.h"
#include "src/sis9/signature_report.h"
#include "src/sis9/signature_text.h"
#include "src/sis9/sis9_reader.h"
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
    // The whole package is read (its data only as far as finding it), so the chains of
    // embedded packages are shown too, each under its controller's path, as the lister shows
    // them.
    sis::FileSource source;
    sis9::Package package;
    std::string message;
    if (!source.open(in, &message) || !sis9::readPackage(source, &package, &message)) {
        *err = in + ": " + message;
        return false;
    }
    const std::vector<sis9::ChainResult> chains =
        sis9::verifySignatures(package, int64_t(std::time(nullptr)));
    size_t own = 0;
    *allVerify = true;
    for (const sis9::ChainResult& chain : chains) {
        own += chain.controller == &package.controller;
        *allVerify = *allVerify && chain.verified;
    }
    const auto count = [](size_t n) {
        return std::to_string(n) + (n == 1 ? " signature chain" : " signature chains");
    };
    out << in << ": " << (own == 0 ? std::string("not signed") : count(own)) << "\n";
    if (chains.size() > own) out << "embedded packages: " << count(chains.size() - own) << "\n";
    out << sis9::formatChains(chains);
    return true;
}

}  // namespace tovrin::sissign
