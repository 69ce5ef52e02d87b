#include "src/crypto/der.h"

#include <cstdlib>

namespace tovrin::crypto::der {

bool Reader::next(Element* out) {
    const uint8_t* p = pos_;
    if (end_ - p < 2) return false;
    uint8_t tag = *p++;
    if ((tag & 0x1F) == 0x1F) return false;  // multi-byte tags: never used by what we read
    size_t length = *p++;
    if (length & 0x80) {
        size_t count = length & 0x7F;
        // 0x80 is the indefinite form, which DER forbids; more than four length bytes would
        // describe more than any file we read.
        if (count == 0 || count > 4 || static_cast<size_t>(end_ - p) < count) return false;
        length = 0;
        for (size_t i = 0; i < count; ++i) length = (length << 8) | *p++;
    }
    if (static_cast<size_t>(end_ - p) < length) return false;
    out->tag = tag;
    out->value = p;
    out->size = length;
    out->start = pos_;
    out->totalSize = static_cast<size_t>(p + length - pos_);
    pos_ = p + length;
    return true;
}

bool Reader::next(uint8_t tag, Element* out) {
    if (peekTag() != tag) return false;
    return next(out);
}

Bytes unsignedInteger(const Element& integer) {
    const uint8_t* p = integer.value;
    size_t n = integer.size;
    while (n > 1 && *p == 0) {
        ++p;
        --n;
    }
    return Bytes(p, p + n);
}

std::string oidText(const Element& oid) {
    std::string text;
    uint64_t value = 0;
    bool first = true;
    for (size_t i = 0; i < oid.size; ++i) {
        if (value > (UINT64_MAX >> 7)) return {};
        value = (value << 7) | (oid.value[i] & 0x7F);
        if (oid.value[i] & 0x80) continue;
        if (first) {
            uint64_t top = value < 40 ? 0 : value < 80 ? 1 : 2;
            text = std::to_string(top) + "." + std::to_string(value - top * 40);
            first = false;
        } else {
            text += "." + std::to_string(value);
        }
        value = 0;
    }
    if (oid.size == 0 || (oid.value[oid.size - 1] & 0x80)) return {};
    return text;
}

Bytes element(uint8_t tag, const Bytes& content) {
    Bytes out{tag};
    size_t n = content.size();
    if (n < 0x80) {
        out.push_back(static_cast<uint8_t>(n));
    } else {
        Bytes length;
        for (size_t v = n; v != 0; v >>= 8) length.insert(length.begin(), static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(0x80 | length.size()));
        out.insert(out.end(), length.begin(), length.end());
    }
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

Bytes sequence(const std::vector<Bytes>& parts) {
    Bytes content;
    for (const Bytes& part : parts) content.insert(content.end(), part.begin(), part.end());
    return element(Sequence, content);
}

Bytes integer(const Bytes& unsignedBigEndian) {
    size_t skip = 0;
    while (skip + 1 < unsignedBigEndian.size() && unsignedBigEndian[skip] == 0) ++skip;
    Bytes content(unsignedBigEndian.begin() + static_cast<std::ptrdiff_t>(skip), unsignedBigEndian.end());
    if (content.empty() || (content[0] & 0x80)) content.insert(content.begin(), 0);
    return element(Integer, content);
}

Bytes integer(uint64_t value) {
    Bytes bytes;
    do {
        bytes.insert(bytes.begin(), static_cast<uint8_t>(value));
        value >>= 8;
    } while (value != 0);
    return integer(bytes);
}

Bytes oid(const std::string& dotted) {
    std::vector<uint64_t> arcs;
    const char* p = dotted.c_str();
    while (*p) {
        char* end = nullptr;
        arcs.push_back(std::strtoull(p, &end, 10));
        p = *end == '.' ? end + 1 : end;
    }
    Bytes content;
    auto put = [&content](uint64_t v) {
        Bytes base128{static_cast<uint8_t>(v & 0x7F)};
        for (v >>= 7; v != 0; v >>= 7) base128.insert(base128.begin(), static_cast<uint8_t>(0x80 | (v & 0x7F)));
        content.insert(content.end(), base128.begin(), base128.end());
    };
    if (arcs.size() >= 2) {
        put(arcs[0] * 40 + arcs[1]);
        for (size_t i = 2; i < arcs.size(); ++i) put(arcs[i]);
    }
    return element(Oid, content);
}

Bytes octetString(const Bytes& content) { return element(OctetString, content); }

Bytes null() { return Bytes{Null, 0}; }

}  // namespace tovrin::crypto::der
