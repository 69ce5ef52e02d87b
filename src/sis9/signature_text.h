#pragma once
// The signatures of a package as text, as the lister shows them and the signer prints them:
//
//   chain 0 of controller: RSA-SHA1 (1.2.840.113549.1.1.5), 128 bytes, signs 0x8-0x3A4: verified
//     certificate 0: CN=Demo,O=Demo
//       issuer: CN=Demo,O=Demo
//       serial: 00, RSA 1024 bits, self-signed
//       valid: 2007-08-17 00:00:00 to 2008-08-17 00:00:00 (UTC), expired

#include <cstdint>
#include <string>
#include <vector>

#include "src/sis9/signature_report.h"

namespace tovrin::sis9 {

std::string formatChains(const std::vector<ChainResult>& chains);

// "2008-08-17 00:00:00" for seconds since 1970 (UTC); with `iso` "2008-08-17T00:00:00Z".
std::string formatTime(int64_t seconds, bool iso = false);

// The line a user reads when the signing certificate of a chain has expired:
// "signed by CN=…, certificate expired on 2008-08-17: a phone refuses to install it unless its
// date is set back".
std::string expiredLine(const crypto::CertificateInfo& signer);

}  // namespace tovrin::sis9
