#pragma once
// The signature chains of an expanded controller: where they stand, what each holds, the bytes
// each covers, and a controller with one chain more or with none.
//
// Chain i covers the controller body from the start of Info up to the start of chain i, so each
// signer signs the package and every earlier signature; a new chain goes after the last one,
// before DataIndex, and covers everything before it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovrin::sis9 {

struct ChainSpan {
    size_t offset = 0;  // of the chain field within the controller field
    size_t size = 0;    // header, body and padding
};

struct ControllerChains {
    size_t bodyOffset = 0;       // the first byte of Info: the controller header's size
    size_t chainsOffset = 0;     // where the first chain stands, or would stand
    size_t dataIndexOffset = 0;  // the DataIndex field, after the last chain
    std::vector<ChainSpan> chains;
};

// Walks the members of a Controller field (header included). False with a message when the
// members do not end in InstallBlock, chains and DataIndex.
bool findChains(const std::vector<uint8_t>& controller, ControllerChains* out, std::string* err);

// One chain decoded: its signatures (one in every real package) and its certificate blob.
struct ChainSignature {
    std::string algorithmOid;
    std::vector<uint8_t> value;
};
struct Chain {
    std::vector<ChainSignature> signatures;
    std::vector<uint8_t> certificates;  // DER certificates back to back, the signer's first
};

bool decodeChain(const uint8_t* field, size_t size, Chain* out, std::string* err);

// The SignatureCertificateChain field of one signature and its certificates.
std::vector<uint8_t> encodeChain(const std::string& algorithmOid,
                                 const std::vector<uint8_t>& signature,
                                 const std::vector<uint8_t>& certificates);

// The controller with `chain` (a whole field) after the last chain, its length fixed.
std::vector<uint8_t> withChain(const std::vector<uint8_t>& controller,
                               const ControllerChains& chains, const std::vector<uint8_t>& chain);

// The controller with every chain removed, its length fixed.
std::vector<uint8_t> withoutChains(const std::vector<uint8_t>& controller,
                                   const ControllerChains& chains);

}  // namespace tovrin::sis9
