#pragma once
// A package signed, unsigned or shown: the package operations of src/sis9 over the crypto seam.
// Only the UID header and the controller are read into memory; the data is copied in blocks.
// Every output is written under a temporary name beside it and renamed when whole, so a failure
// leaves an earlier file of that name as it was.

#include <ostream>
#include <string>
#include <vector>

#include "src/crypto/certificate.h"
#include "src/crypto/private_key.h"

namespace tovrin::sissign {

// Adds a chain after the last one: `key` signs the controller body up to the new chain, and the
// chain carries `certificates` (the signer's first). Messages name the file at fault as
// "<file>: <message>".
bool signPackage(const std::string& in, const std::string& out,
                 const std::vector<crypto::Bytes>& certificates, const crypto::PrivateKey& key,
                 std::string* err);

// Removes every chain: the result is the package as it was before it was first signed.
bool unsignPackage(const std::string& in, const std::string& out, std::string* err);

// Writes each chain of the top controller, its certificates and whether its signature verifies
// over what it covers. False with a message when the package cannot be read; *allVerify says
// whether every chain verified (true for an unsigned package).
bool showChains(const std::string& in, std::ostream& out, bool* allVerify, std::string* err);

}  // namespace tovrin::sissign
