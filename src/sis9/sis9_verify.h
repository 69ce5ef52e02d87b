#pragma once
// The checks of a read Symbian 9 package: UID4, UID3 against the package UID, both checksums,
// the per-language lists, every file's stored data against its lengths and SHA-1, and (in
// signature_report.h) every signature and certificate.
//
// A checksum mismatch is a warning, never a failure: SDK-era compilers and signers wrote values
// that no rule reproduces into packages that phones installed. The controller checksum is also
// tried with the creation time the SDK compiler checksummed (2004-01-01 00:00:00), so the
// warning can say which habit made it. A package is verified when no check failed.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "src/crypto/sha1.h"
#include "src/sis/byte_source.h"
#include "src/sis9/sis9_reader.h"

namespace tovrin::sis9 {

enum class Status { Ok, Warning, Failed };

struct Check {
    std::string what;  // "UID4", "controller checksum", "controller/install block/file 2"
    Status status = Status::Ok;
    std::string detail;
};

// What the data of one file description gave.
struct FileResult {
    bool hasData = false;  // false for stubs, FN lines, packages without data units
    uint64_t size = 0;     // once expanded
    crypto::Sha1Digest sha1{};
    bool ok = false;    // the data read whole and matches the stored hash and lengths
    std::string error;  // when not ok
};

struct Verification {
    std::vector<Check> checks;
    std::map<const FileDescription*, FileResult> files;

    bool verified() const;
    size_t count(Status status) const;
};

// Everything but signatures. Reads every file's data once, in pieces.
Verification verifyPackage(sis::ByteSource& source, const Package& package);

// The controller checksum an SDK compiler writes: the CRC of the controller field as it would
// be with the creation time 2004-01-01 00:00:00, deflated at zlib's level 6 (or stored, as the
// package stores it).
uint16_t stampedControllerChecksum(const Package& package);

// The capabilities a file asks for beyond those a user may grant a self-signed package
// (LocalServices, NetworkServices, ReadUserData, WriteUserData, UserEnvironment, Location).
uint64_t restrictedCapabilities(uint64_t bits);

// "ReadUserData WriteUserData" for a set of capability bits (unknown bits as "bit 40").
std::string capabilityNames(uint64_t bits);

std::string hexDigest(const uint8_t* data, size_t size);

}  // namespace tovrin::sis9
