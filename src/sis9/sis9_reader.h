#pragma once
// Reads a Symbian 9 package into plain values.
//
// readPackage() takes the UID header, the checksums, the controller and the index of the file
// data. The controller is inflated into memory (capped at kMaxControllerBytes, never more than
// it declares) and parsed whole into a tree; the data is only indexed: where each file's stored
// bytes lie, never the bytes themselves. Every length is bounded by its parent's, so a damaged
// or hostile file gives an error naming the field path
// ("controller/install block/file 3: length 0x7FFFFFF0 runs past its parent") instead of a
// crash or an allocation of what a length claims. What the reader keeps grows with the number
// of fields, never with the size of the data.
//
// Stubs (a lone controller field, or a length and a controller body) read too, with `form`
// saying which; they carry no data.
//
// Strings are UTF-8, converted from UTF-16LE, as stored.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "src/sis/byte_source.h"
#include "src/sis/stream_data.h"
#include "src/sis9/sis9_format.h"

namespace tovrin::sis9 {

// The largest controller accepted once inflated. Real controllers are a few hundred kilobytes
// at most (a package of 38 options and thousands of files). A hostile controller of this size
// made only of empty file descriptions (57,000 of them) lists in 44 MiB and catalogues in 64 MiB;
// together with kMaxDataFiles this keeps every run within 64 MiB, whatever the size of the data.
constexpr uint64_t kMaxControllerBytes = 4u << 20;
// The most file data entries accepted, over all data units: each is kept as a small record.
constexpr uint64_t kMaxDataFiles = 1u << 18;
// Deepest condition expression accepted.
constexpr int kMaxExpressionDepth = 64;
// Deepest IF inside IF accepted.
constexpr int kMaxBlockNesting = 64;

struct Version {
    int32_t major = 0;
    int32_t minor = 0;
    int32_t build = 0;
};

struct Dependency {
    uint32_t uid = 0;
    bool hasRange = false;
    Version from;
    bool hasTo = false;
    Version to;
    std::vector<std::string> names;  // one per language
};

struct Expression {
    uint32_t op = 0;  // Operator, kept raw: unknown values are listed, not refused
    int32_t value = 0;
    bool hasText = false;
    std::string text;
    std::vector<Expression> operands;  // left, then right, as present
};

struct FileDescription {
    std::string path;  // field path for messages: "controller/install block/file 3"
    std::string target;
    std::string mime;
    bool hasCapabilities = false;
    std::vector<uint8_t> capabilities;  // the little-endian bit field as stored
    uint32_t hashAlgorithm = 0;
    std::vector<uint8_t> hash;  // empty for descriptions without data
    uint32_t operation = 0;
    uint32_t options = 0;
    uint64_t length = 0;  // stored
    uint64_t uncompressedLength = 0;
    uint32_t fileIndex = 0;

    // The capability bits 0..63 (higher bits of a longer field are dropped).
    uint64_t capabilityBits() const;
};

struct Controller;

struct InstallBlock {
    std::vector<FileDescription> files;
    std::vector<Controller> embedded;
    struct If;
    std::vector<If> ifs;
};

struct InstallBlock::If {
    Expression condition;
    InstallBlock body;
    struct Branch {
        Expression condition;
        InstallBlock body;
    };
    std::vector<Branch> elseIfs;
};

struct SignatureChain {
    std::string algorithmOid;
    std::vector<uint8_t> signature;
    std::vector<uint8_t> certificates;  // DER certificates back to back, the signer's first
    uint64_t signedBegin = 0;           // the bytes this chain signs, as offsets into
    uint64_t signedEnd = 0;             // Package::controllerBytes
    size_t signatureCount = 1;          // signatures in the chain's array (the first is kept)
};

struct Controller {
    std::string path;  // "controller", "controller/install block/embedded 1", ...
    int depth = 0;     // 0 for the top controller

    uint32_t uid = 0;
    std::string uniqueVendor;
    std::vector<std::string> names;    // one per language
    std::vector<std::string> vendors;  // one per language
    Version version;
    int year = 0, month = 0, day = 0;  // month 1..12 here (stored from 0)
    int hour = 0, minute = 0, second = 0;
    uint8_t installType = 0;
    uint8_t installFlags = 0;

    std::vector<std::vector<std::string>> options;  // [option][language]
    std::vector<uint32_t> languages;
    std::vector<Dependency> targets;       // platforms and phones
    std::vector<Dependency> dependencies;  // packages
    std::vector<std::pair<int32_t, int32_t>> properties;
    bool hasLogo = false;
    FileDescription logo;
    InstallBlock install;
    std::vector<SignatureChain> chains;
    uint32_t dataIndex = 0;
    uint64_t dataUnit = 0;  // the sum of the data indices from the top down to this one

    size_t unknownMembers = 0;  // fields after the known members, ignored
    // Offsets in Package::controllerBytes: the body, the creation date's body, the data index's
    // body.
    uint64_t bodyBegin = 0, bodyEnd = 0;
    uint64_t dateOffset = 0;
    uint64_t dataIndexOffset = 0;
};

enum class Form { Package, Stub, BareController };

// Where one file's stored bytes lie in the source.
struct FileData {
    uint64_t offset = 0;  // of the bytes after the Compressed field's algorithm and size
    uint64_t storedSize = 0;
    uint32_t algorithm = 0;
    uint64_t size = 0;  // as declared, once expanded
};

struct Package {
    Form form = Form::Package;
    uint64_t fileSize = 0;
    uint32_t uid1 = 0, uid2 = 0, uid3 = 0, uid4 = 0;

    bool hasControllerChecksum = false;
    uint16_t controllerChecksum = 0;
    bool hasDataChecksum = false;
    uint16_t dataChecksum = 0;
    // The whole Compressed field holding the controller, padding included, and the whole Data
    // field: what the two checksums cover.
    uint64_t controllerFieldOffset = 0, controllerFieldSize = 0;
    uint32_t controllerCompression = 0;
    uint64_t dataFieldOffset = 0, dataFieldSize = 0;

    // The uncompressed controller field (header and body); signatures cover parts of it.
    std::vector<uint8_t> controllerBytes;
    Controller controller;
    std::vector<std::vector<FileData>> units;  // data units, each the files of one controller
    // Each data unit's element body in the source, as [begin, end).
    std::vector<std::pair<uint64_t, uint64_t>> unitRanges;
    size_t unknownMembers = 0;                 // fields of the contents not known, ignored
};

// Parses the package in `source`. On failure returns false and sets *err to a message (no
// file name) that names the field path at fault.
bool readPackage(sis::ByteSource& source, Package* package, std::string* err);

// True when the first bytes look like a Symbian 9 package or stub (for dispatching between the
// two families): UID1 0x10201A7A, a controller field at offset 0, or a controller body at 4.
bool looksLikeSis9(sis::ByteSource& source);

// The data of a file description of `controller`: its unit by the summing rule, then its file
// index. Null when the package holds no such data (stubs, FN lines, PA/PP packages, damage).
const FileData* findFileData(const Package& package, const Controller& controller,
                             const FileDescription& file);

using sis::DataSink;

// Streams the expanded bytes of `data` to `sink` in pieces of at most 64 KiB, and checks that
// the stored bytes expand to exactly the declared size (a whole zlib stream that uses every
// stored byte, or stored bytes of that size). `sink` may be empty.
bool readFileData(sis::ByteSource& source, const FileData& data, const DataSink& sink,
                  std::string* err);

// Calls `visit` for every controller of the tree, the top one first, then each embedded one in
// turn (depth first, in stored order: files' blocks, then IF bodies).
void forEachController(const Controller& top, const std::function<void(const Controller&)>& visit);

// Calls `visit` for every file description of one controller's install block, those under
// conditions too, with the condition that guards it as script text (empty when none).
void forEachFile(const Controller& controller,
                 const std::function<void(const FileDescription&, const std::string& condition)>&
                     visit);
// The same without the conditions.
void forEachFile(const Controller& controller,
                 const std::function<void(const FileDescription&)>& visit);

}  // namespace tovrin::sis9
