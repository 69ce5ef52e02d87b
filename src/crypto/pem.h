#pragma once
// PEM text: "-----BEGIN LABEL-----", optional RFC 1421 header lines ("Proc-Type: ...",
// "DEK-Info: ..."), base64, "-----END LABEL-----". Files may hold several blocks and any text
// between them; lines may end in CR LF.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tovrin::crypto::pem {

using Bytes = std::vector<uint8_t>;

struct Block {
    std::string label;                                         // "CERTIFICATE", "PRIVATE KEY", ...
    std::vector<std::pair<std::string, std::string>> headers;  // in file order
    Bytes der;

    // The value of header `name`, empty when absent.
    std::string header(const std::string& name) const;
};

// True when the text holds a BEGIN line at all (so the file is meant as PEM, not DER).
bool looksLikePem(const Bytes& content);

// Every block in file order. False with a message at the first block that is cut short or whose
// base64 is damaged.
bool readBlocks(const Bytes& content, std::vector<Block>* out, std::string* err);

// One block, base64 in lines of 64 characters, each line ending in LF.
std::string write(const std::string& label, const Bytes& der);

bool base64Decode(const std::string& text, Bytes* out);
std::string base64Encode(const uint8_t* data, size_t size);

}  // namespace tovrin::crypto::pem
