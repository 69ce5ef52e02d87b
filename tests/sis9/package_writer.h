#pragma once
// Writes small Symbian 9 packages for the reader's and the lister's tests: a controller tree
// described by plain values (files, IF chains, embedded packages with their data indices,
// signature chains as given), its data units placed by the summing rule, the UID header and
// both checksums computed. Options let a test store or deflate, give every header in the long
// form, or leave the checksums as an SDK-era tool did.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "src/sis9/sis9_format.h"

namespace tovrin::test {

using Bytes = std::vector<uint8_t>;

// One field: header, body, padding; in the long form when `longForm` (tests of 64-bit lengths).
Bytes field9(sis9::FieldType type, const Bytes& body, bool longForm = false);
Bytes string9(const std::string& ascii);
// A condition node: operator, value, optional string, operands (Expression fields).
Bytes expression9(sis9::Operator op, int32_t value, const std::vector<Bytes>& operands = {},
                  const std::string* text = nullptr);

struct File9 {
    std::string target = "!:\\data\\a.txt";
    std::string data = "Hello\n";
    uint32_t operation = sis9::kOpInstall;
    uint32_t options = 0;
    bool deflate = true;
    int64_t capabilities = -1;  // -1: no capabilities member
    bool noData = false;        // a description without data (FN, stubs): empty hash, lengths 0
    bool wrongHash = false;     // store the hash of other bytes
};

struct Controller9;

struct Branch9 {
    Bytes condition;  // an Expression field
    std::vector<File9> files;
};

struct If9 {
    Bytes condition;
    std::vector<File9> files;
    std::vector<Branch9> elseIfs;  // an ELSE is a branch whose condition is NOT 0
};

struct Controller9 {
    uint32_t uid = 0xE0000001;
    std::string vendor = "Demo";
    std::vector<uint32_t> languages{1};
    std::vector<std::string> names{"Demo"};
    std::vector<std::vector<std::string>> options;
    std::vector<File9> files;
    std::vector<If9> ifs;
    std::vector<Controller9> embedded;  // each gets data index 1 more than the one before
    // Each gives a whole SignatureCertificateChain field for the controller body written so far
    // (from its first member up to where the chain goes): what the chain signs.
    std::vector<std::function<Bytes(const Bytes& signedData)>> signers;
    int year = 2024, month = 6, day = 1;
    bool dropFlags = false;  // leave SISInfo without its flags byte
};

struct Package9 {
    Controller9 controller;
    bool deflateController = true;
    bool longForm = false;
    bool controllerChecksum = true;
    bool dataChecksum = true;
    bool stampedControllerChecksum = false;  // as the SDK compiler: made with 2004-01-01 00:00
};

// The controller field alone (type 13), and the data units its files go into.
Bytes writeController9(const Controller9& c, bool longForm, std::vector<std::vector<Bytes>>* units);
Bytes writePackage9(const Package9& p);

// A SignatureCertificateChain field of one signature.
Bytes chainField9(const std::string& oid, const Bytes& signature, const Bytes& certificates);

// Offset of the first occurrence of `pattern` in `bytes` (the test fails when there is none).
size_t find9(const Bytes& bytes, const Bytes& pattern);
void putU32(Bytes& bytes, size_t offset, uint32_t value);

}  // namespace tovrin::test
