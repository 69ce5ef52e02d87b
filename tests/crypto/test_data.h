#pragma once
// The keys, certificates and signatures tests/data/crypto/make.sh made with openssl.

#include <fstream>
#include <iterator>
#include <string>

#include "src/crypto/certificate.h"

namespace tovrin::test {

inline const char kKeyPassword[] = "tovrin-test";  // as in make.sh

inline crypto::Bytes cryptoData(const std::string& name) {
    std::ifstream in(std::string(TOVRIN_TEST_DATA_DIR) + "/crypto/" + name, std::ios::binary);
    return crypto::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline crypto::Bytes firstCertificate(const std::string& name) {
    std::vector<crypto::Bytes> certs;
    crypto::loadCertificateFile(cryptoData(name), &certs, nullptr);
    return certs.empty() ? crypto::Bytes{} : certs[0];
}

}  // namespace tovrin::test
