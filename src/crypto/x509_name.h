#pragma once
// Inside src/crypto only: a distinguished name as users write it and listings show it,
// "CN=Name,O=Company,C=FI" (most specific first, "\," for a comma inside a value), to the DER
// Name of a certificate, whose RDNs run the other way (C, O, CN). Known attributes: CN, O, OU,
// L, ST, C (two letters, PrintableString) and E / emailAddress (IA5String); others are UTF8String.

#include <cstdint>
#include <string>
#include <vector>

namespace tovrin::crypto {

bool encodeDistinguishedName(const std::string& text, std::vector<uint8_t>* der, std::string* err);

}  // namespace tovrin::crypto
