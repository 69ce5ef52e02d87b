#include "tools/sissign/key_files.h"

#include "src/compiler/pending_file.h"
#include "src/platform/private_file.h"
#include "src/platform/read_file.h"

namespace tovrin::sissign {
namespace {

constexpr int64_t kDay = 86400;

bool readBytes(const std::string& path, crypto::Bytes* out, std::string* err) {
    std::string bytes, message;
    if (!readWholeFile(path, &bytes, &message)) {
        *err = path + ": " + (message.empty() ? "cannot be read" : message);
        return false;
    }
    out->assign(bytes.begin(), bytes.end());
    return true;
}

}  // namespace

bool readCertificates(const std::string& path, std::vector<crypto::Bytes>* out, std::string* err) {
    crypto::Bytes content;
    if (!readBytes(path, &content, err)) return false;
    std::string message;
    if (!crypto::loadCertificateFile(content, out, &message)) {
        *err = path + ": " + message;
        return false;
    }
    if (out->empty()) {
        *err = path + ": holds no certificate";
        return false;
    }
    return true;
}

bool readSigningKey(const std::string& path, const std::string& password,
                    const crypto::Bytes& certificate, const std::string& certificatePath,
                    crypto::PrivateKey* out, std::string* err) {
    crypto::Bytes content;
    if (!readBytes(path, &content, err)) return false;
    std::string message;
    if (!crypto::loadPrivateKey(content, password, out, &message)) {
        *err = path + ": " + message;
        return false;
    }
    if (!crypto::keyMatchesCertificate(*out, certificate)) {
        *err = path + ": the key does not match the certificate of " + certificatePath;
        return false;
    }
    return true;
}

bool makeKeyAndCertificate(const NewKeyRequest& request, std::string* err) {
    const int64_t end = request.certificate.now - kDay + int64_t(request.certificate.days) * kDay;
    if (end >= kEndOfShortTime) {
        const int64_t most = (kEndOfShortTime - 1 - request.certificate.now + kDay) / kDay;
        *err = "--days " + std::to_string(request.certificate.days) +
               ": the certificate would be valid past 2049, and older phones read no later "
               "date; at most " + std::to_string(most) + " days from today";
        return false;
    }
    crypto::PrivateKey key;
    crypto::Bytes der;
    std::string pem, message;
    if (!crypto::generateRsaKey(request.bits, &key, &message) ||
        !crypto::makeSelfSignedCertificate(request.certificate, key, &der, &message) ||
        !crypto::privateKeyPem(key, request.password, &pem, &message)) {
        *err = message;
        return false;
    }
    // Both files are written whole under temporary names before either replaces anything. The
    // key is renamed last: should that rename fail, the old key is still there (with the new
    // certificate, which it does not match, as signing then says), never a new key beside a
    // certificate that is not its own with the old key gone.
    makesis::PendingFile certificate(request.certificatePath);
    if (!certificate.open(&message)) {
        *err = request.certificatePath + ": " + message;
        return false;
    }
    certificate.stream() << crypto::certificatePem(der);
    PendingPrivateFile keyFile(request.keyPath);
    if (!keyFile.write(pem, &message)) {
        *err = message;
        return false;
    }
    if (!certificate.commit(&message)) {
        *err = request.certificatePath + ": " + message;
        return false;
    }
    if (!keyFile.commit(&message)) {
        *err = message + "; " + request.certificatePath +
               " holds the new certificate, whose key could not be written";
        return false;
    }
    return true;
}

}  // namespace tovrin::sissign
