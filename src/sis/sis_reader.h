#pragma once
// Reads a pre-9 package (ER5 or ER6) into plain values, and verifies it.
//
// readPackage() parses the structure: header, languages, file-area records, requisites,
// capabilities and names, with every count, pointer and length checked against the file, so a
// damaged file gives an error text instead of a crash. It reads names but never file data. It
// also refuses IF/ELSEIF/ELSE/ENDIF records that do not nest, and forks whose data overlap
// (which would let a small file make verification inflate one stream many times over).
// verifyPackage() then checks UID4, the file checksum and every data fork (inflating zlib
// streams in pieces and comparing with the stored original length). readForkData() streams one
// fork's data to a sink, for extraction. File data is only ever held 64 KiB at a time; what
// the reader keeps is proportional to the records and names, never to the data.
//
// Strings are returned as UTF-8 (converted from UTF-16LE or Windows-1252), exactly as stored,
// control characters included; callers that print them escape what they need.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "src/sis/byte_source.h"
#include "src/sis/sis_format.h"
#include "src/sis/stream_data.h"

namespace tovrin::sis {

// The largest string (in bytes) and the most string bytes in total the reader accepts. Real
// packages hold a few kilobytes of names; the limits keep a hostile file from making the reader
// allocate without bound through many pointers at the same bytes.
constexpr uint32_t kMaxStringBytes = 0x10000;
constexpr uint64_t kMaxTotalStringBytes = 16u << 20;
// Deepest condition expression accepted (nested operators).
constexpr int kMaxExpressionDepth = 64;

struct Fork {
    uint32_t storedLength = 0;
    uint32_t dataPtr = 0;
    uint32_t originalLength = 0;  // ER5 packages have none: taken as storedLength
};

// A node of an IF/ELSEIF condition. String nodes carry `text`; attribute nodes the id and
// number nodes the value in `value`; operators and functions their operands.
struct Expression {
    NodeType type = NodeType::Number;
    uint32_t value = 0;
    uint32_t unused = 0;  // attribute and number nodes: the second word, often uninitialised
    std::string text;
    std::vector<Expression> operands;
};

struct Record {
    uint32_t offset = 0;  // of the record in the file
    RecordType type = RecordType::SimpleFile;

    // SimpleFile (one fork) and MultiLanguageFile (one fork per language)
    uint32_t fileType = 0;  // FileType value, kept raw: unknown values are listed, not refused
    uint32_t details = 0;
    std::string source;
    std::string destination;
    std::string mime;
    std::vector<Fork> forks;

    // Options: [option][language], and the 16-byte selection bitmap.
    std::vector<std::vector<std::string>> options;
    std::array<uint8_t, options_record::kBitmapSize> selected{};

    // If and ElseIf
    Expression condition;
};

struct Requisite {
    uint32_t uid = 0;
    uint16_t major = 0;
    uint16_t minor = 0;
    uint32_t variant = 0;
    std::vector<std::string> names;  // one per language
};

struct Package {
    uint64_t fileSize = 0;
    bool er6 = true;
    bool unicode = true;
    Header header;
    std::vector<uint16_t> languages;
    std::vector<Record> records;  // in stored order (the reverse of installation order)
    std::vector<Requisite> requisites;
    std::vector<std::pair<uint32_t, uint32_t>> capabilities;  // key, value
    std::vector<std::string> componentNames;                  // one per language

    // File data is zlib-compressed (ER6 without NC).
    bool compressed() const { return er6 && !(header.options & kOptionNoCompress); }
    // End of the bytes the checksum covers: the signature block, if any, is left out.
    uint64_t checksummedEnd() const;
};

// Parses the structure of the package in `source`. On failure returns false and sets *err to
// a message (no file name) that names the offset or record at fault.
bool readPackage(ByteSource& source, Package* package, std::string* err);

struct Check {
    std::string what;  // "UID4", "checksum", "record 2 fork 0"
    bool ok = false;
    std::string detail;  // values compared, or what is wrong
};

// Runs every check; the result holds one Check per test, in a fixed order.
std::vector<Check> verifyPackage(ByteSource& source, const Package& package);

// Streams the (inflated) data of `fork` to `sink` and checks it: a whole zlib stream that uses
// exactly the stored length and gives exactly the original length (compressed packages), or
// equal stored and original lengths (uncompressed ones). `sink` may be empty to only check.
bool readForkData(ByteSource& source, const Package& package, const Fork& fork,
                  const DataSink& sink, std::string* err);

}  // namespace tovrin::sis
