#pragma once
// What a Symbian 9 build signs with: the certificate and key given, or the user's own
// self-signed certificate, made on the first build that needs it and kept in the user's
// configuration folder for every later one (so that updates of a program are signed alike).

#include <ostream>
#include <string>
#include <vector>

#include "src/crypto/certificate.h"
#include "src/crypto/private_key.h"

namespace tovrin::build {

struct SigningIdentity {
    std::vector<crypto::Bytes> certificates;  // the signer's first
    crypto::PrivateKey key;
    bool selfSigned = false;  // the phone's rules for self-signed packages apply
};

// The names of the kept certificate and key in the configuration folder.
extern const char* const kKeptCertificate;
extern const char* const kKeptKey;

// With `certificate` empty, the kept pair of `configFolder`, made there when neither file
// exists, and then says where on `note`. False with a message naming the file at fault.
bool signingIdentity(const std::string& certificate, const std::string& key,
                     const std::string& password, const std::string& configFolder,
                     std::ostream& note, SigningIdentity* out, std::string* err);

}  // namespace tovrin::build
