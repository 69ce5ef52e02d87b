#pragma once
// A small reader and writer of DER's tag-length-value elements, for the key structures libgcrypt
// does not parse itself (PKCS #1, PKCS #8, PBES2 parameters, DSA keys, DSA signature blobs) and
// for the concatenated certificates of a chain. Single-byte tags only (every structure here uses
// nothing else); definite lengths only, as DER requires.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovrin::crypto::der {

using Bytes = std::vector<uint8_t>;

enum Tag : uint8_t {
    Integer = 0x02,
    BitString = 0x03,
    OctetString = 0x04,
    Null = 0x05,
    Oid = 0x06,
    Utf8String = 0x0C,
    PrintableString = 0x13,
    UtcTime = 0x17,
    GeneralizedTime = 0x18,
    Sequence = 0x30,
    Set = 0x31,
};

inline constexpr uint8_t contextTag(unsigned number, bool constructed = true) {
    return static_cast<uint8_t>(0x80 | (constructed ? 0x20 : 0) | number);
}

struct Element {
    uint8_t tag = 0;
    const uint8_t* value = nullptr;  // the content octets
    size_t size = 0;
    const uint8_t* start = nullptr;  // the whole element, header included
    size_t totalSize = 0;

    Bytes bytes() const { return Bytes(value, value + size); }
    Bytes whole() const { return Bytes(start, start + totalSize); }
};

// Reads the elements of a buffer one after another.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : pos_(data), end_(data + size) {}
    explicit Reader(const Bytes& data) : Reader(data.data(), data.size()) {}
    explicit Reader(const Element& constructed) : Reader(constructed.value, constructed.size) {}

    bool atEnd() const { return pos_ == end_; }
    size_t remaining() const { return static_cast<size_t>(end_ - pos_); }
    const uint8_t* position() const { return pos_; }

    // The next element, whatever its tag. False (and nothing consumed) when the bytes left do
    // not start with a whole element.
    bool next(Element* out);
    // The next element when it has `tag`.
    bool next(uint8_t tag, Element* out);
    // Looks at the tag of the next element without reading it; 0 at the end.
    uint8_t peekTag() const { return atEnd() ? 0 : *pos_; }

private:
    const uint8_t* pos_;
    const uint8_t* end_;
};

// An INTEGER's content without the leading zero that only keeps it positive.
Bytes unsignedInteger(const Element& integer);
// A dotted OID ("1.2.840.113549.1.1.1") from an OID element's content; empty when malformed.
std::string oidText(const Element& oid);

// Builders: each returns one whole element.
Bytes element(uint8_t tag, const Bytes& content);
Bytes sequence(const std::vector<Bytes>& parts);
Bytes integer(const Bytes& unsignedBigEndian);  // adds the zero byte a set high bit needs
Bytes integer(uint64_t value);
Bytes oid(const std::string& dotted);
Bytes octetString(const Bytes& content);
Bytes null();

}  // namespace tovrin::crypto::der
