#pragma once
// The catalogue: one JSON object per package, for pre-9 and Symbian 9 packages alike, with the
// same keys where the meaning is the same (data/sislist-catalogue.schema.json describes them).
// Both families are first made into one model, then written by one function.

#include <cstdint>
#include <string>
#include <vector>

namespace tovrin::sislist {

struct CatalogueFile {
    std::string destination;
    std::string condition;  // empty: none (null)
    bool hasData = false;   // false: size and sha1 are null
    uint64_t size = 0;
    std::string sha1;
    std::string hash;  // the SHA-1 the package stores; empty: none (null)
};

struct CatalogueCertificate {
    std::string subject, issuer, serial;
    int64_t notBefore = 0, notAfter = 0;
    bool selfSigned = false;
    bool expired = false;
};

struct CatalogueSignature {
    std::string algorithm;  // "RSA-SHA1", "DSA-SHA1", or the OID when it is neither
    bool verified = false;
    std::vector<CatalogueCertificate> certificates;
};

struct CatalogueCheck {
    std::string what;
    std::string status;  // "ok", "warning", "failed"
    std::string detail;
};

struct CatalogueEntry {
    std::string file;
    std::string error;  // when the file could not be read: the entry holds only `file` and this
    std::string format;  // "ER5", "ER6", "SIS9"
    bool stub = false;
    uint32_t uid = 0;
    std::string version;
    std::vector<std::pair<std::string, std::string>> names;  // language code, name
    bool hasVendor = false;
    std::string vendor;
    std::vector<std::string> languages;
    std::vector<CatalogueFile> files;
    std::vector<CatalogueEntry> embedded;
    std::vector<CatalogueSignature> signatures;
    std::vector<CatalogueCheck> checks;
    bool verified = false;
};

// Reads and checks the package at `path` (either family); certificates are judged at `now`
// (seconds since 1970, UTC). A file that cannot be read gives an entry with `error`.
CatalogueEntry catalogueFile(const std::string& path, int64_t now);

// One line of JSON, without the newline.
std::string catalogueJson(const CatalogueEntry& entry);

}  // namespace tovrin::sislist
