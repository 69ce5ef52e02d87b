#include "tools/tovrin-build/signing_identity.h"

#include <ctime>
#include <filesystem>

#include "src/platform/path.h"
#include "src/platform/private_file.h"
#include "tools/sissign/key_files.h"

namespace tovrin::build {
namespace {

bool exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::path(path), ec);
}

// The kept pair, made when neither file is there yet.
bool keptPair(const std::string& folder, std::ostream& note, std::string* certificate,
              std::string* key, std::string* err) {
    if (folder.empty()) {
        *err = "no configuration folder to keep a self-signed certificate in: give --cert and "
               "--key";
        return false;
    }
    *certificate = folder + kSeparator + kKeptCertificate;
    *key = folder + kSeparator + kKeptKey;
    const bool haveCertificate = exists(*certificate), haveKey = exists(*key);
    if (haveCertificate && haveKey) return true;
    if (haveCertificate || haveKey) {
        *err = (haveKey ? *certificate : *key) + ": missing beside " +
               (haveKey ? *key : *certificate) + "; remove both to have a new pair made";
        return false;
    }
    if (!makeConfigFolder(folder, err)) return false;
    sissign::NewKeyRequest request;
    request.certificatePath = *certificate;
    request.keyPath = *key;
    request.certificate.now = int64_t(std::time(nullptr));
    // Ten years, or as long as the short time form of older phones reaches.
    const int64_t days = (sissign::kEndOfShortTime - 1 - request.certificate.now) / 86400;
    if (days < int64_t(request.certificate.days)) request.certificate.days = unsigned(days);
    if (!sissign::makeKeyAndCertificate(request, err)) return false;
    note << "tovrin-build: made a self-signed certificate to sign with, kept for later builds: "
         << *certificate << " (its key: " << *key << ")\n";
    return true;
}

}  // namespace

const char* const kKeptCertificate = "self-signed.cer";
const char* const kKeptKey = "self-signed.key";

bool signingIdentity(const std::string& certificate, const std::string& key,
                     const std::string& password, const std::string& configFolder,
                     std::ostream& note, SigningIdentity* out, std::string* err) {
    std::string certificatePath = certificate, keyPath = key;
    if (certificate.empty() && !keptPair(configFolder, note, &certificatePath, &keyPath, err))
        return false;
    SigningIdentity identity;
    if (!sissign::readCertificates(certificatePath, &identity.certificates, err) ||
        !sissign::readSigningKey(keyPath, password, identity.certificates[0], certificatePath,
                                 &identity.key, err))
        return false;
    crypto::CertificateInfo info;
    std::string message;
    identity.selfSigned = !crypto::decodeCertificate(identity.certificates[0], &info, &message) ||
                          info.selfSigned;
    *out = std::move(identity);
    return true;
}

}  // namespace tovrin::build
