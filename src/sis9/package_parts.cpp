#include "src/sis9/package_parts.h"

#include <zlib.h>

#include "src/sis9/field_header.h"
#include "src/sis9/sis9_format.h"

namespace tovrin::sis9 {
namespace {

constexpr uint64_t kUidHeaderSize = 16;

// Reads the header of the field at `offset`, whose body and padding must end by `end`.
bool readHeader(sis::ByteSource& source, uint64_t offset, uint64_t end, FieldHeader* header,
                std::string* err) {
    uint8_t bytes[12] = {};
    const uint64_t available = end > offset ? end - offset : 0;
    const size_t count = available < sizeof bytes ? size_t(available) : sizeof bytes;
    if (!source.read(offset, bytes, count)) {
        *err = "cannot read the package";
        return false;
    }
    return parseFieldHeader(bytes, available, header, err);
}

}  // namespace

bool expandController(const uint8_t* body, uint64_t size, std::vector<uint8_t>* out,
                      uint32_t* algorithm, std::string* err) {
    if (size < 12) {
        *err = "compressed controller: cut short";
        return false;
    }
    *algorithm = loadU32(body);
    const uint64_t expanded = loadU64(body + 4);
    if (expanded > kMaxControllerSize) {
        *err = "compressed controller: expanded size " + std::to_string(expanded) +
               " is past the limit of " + std::to_string(kMaxControllerSize) + " bytes";
        return false;
    }
    const uint8_t* data = body + 12;
    const uint64_t dataSize = size - 12;
    if (*algorithm == uint32_t(Compression::Stored)) {
        if (dataSize != expanded) {
            *err = "compressed controller: stored bytes differ from the declared size";
            return false;
        }
        out->assign(data, data + dataSize);
    } else if (*algorithm == uint32_t(Compression::Deflate)) {
        // Room for one byte more than declared shows a stream that expands further.
        out->assign(size_t(expanded) + 1, 0);
        uLongf length = uLongf(out->size());
        const int status = uncompress(out->data(), &length, data, uLong(dataSize));
        if (status != Z_OK || length != expanded) {
            *err = "compressed controller: the zlib stream does not expand to the declared size";
            return false;
        }
        out->resize(size_t(expanded));
    } else {
        *err = "compressed controller: unknown algorithm " + std::to_string(*algorithm);
        return false;
    }
    FieldHeader header;
    if (!parseFieldHeader(out->data(), out->size(), &header, err)) {
        *err = "controller: " + *err;
        return false;
    }
    if (header.type != uint32_t(FieldType::Controller) ||
        header.headerSize + header.bodyLength != out->size()) {
        *err = "compressed controller: does not hold one controller field";
        return false;
    }
    return true;
}

bool readPackageParts(sis::ByteSource& source, PackageParts* out, std::string* err) {
    const uint64_t size = source.size();
    if (size < kUidHeaderSize + 8) {
        *err = "too short for a Symbian 9 package";
        return false;
    }
    PackageParts parts;
    if (!source.read(0, parts.uidHeader, kUidHeaderSize)) {
        *err = "cannot read the package";
        return false;
    }
    if (loadU32(parts.uidHeader) != kUid1) {
        const uint32_t first = loadU32(parts.uidHeader);
        *err = first == uint32_t(FieldType::Controller) ||
                       loadU32(parts.uidHeader + 4) == uint32_t(FieldType::Info)
                   ? "a controller-only stub, not a full package"
                   : "not a Symbian 9 package (UID1 is not 0x10201A7A)";
        return false;
    }
    FieldHeader contents;
    if (!readHeader(source, kUidHeaderSize, size, &contents, err)) {
        *err = "contents: " + *err;
        return false;
    }
    if (contents.type != uint32_t(FieldType::Contents)) {
        *err = "the first field is not the contents (type 12)";
        return false;
    }
    const uint64_t end = kUidHeaderSize + contents.headerSize + contents.bodyLength;
    if (end != size) {
        // Bytes after the contents would be lost by a rewrite: refuse rather than drop them.
        *err = "contents end before the end of the file";
        return false;
    }
    uint64_t at = kUidHeaderSize + contents.headerSize;
    FieldHeader field;
    bool haveController = false;
    while (at < end) {
        if (!readHeader(source, at, end, &field, err)) return false;
        const uint64_t next = at + field.headerSize + padded(field.bodyLength);
        if (next > end) {
            *err = "field of type " + std::to_string(field.type) + ": padding runs past contents";
            return false;
        }
        const FieldType type = FieldType(field.type);
        if (!haveController && type == FieldType::ControllerChecksum) {
            parts.hasControllerChecksum = true;
        } else if (!haveController && type == FieldType::DataChecksum) {
            parts.hasDataChecksum = true;
        } else if (!haveController && type == FieldType::Compressed) {
            if (field.bodyLength > kMaxControllerSize) {
                *err = "compressed controller: " + std::to_string(field.bodyLength) +
                       " bytes, past the limit of " + std::to_string(kMaxControllerSize);
                return false;
            }
            std::vector<uint8_t> body(size_t(field.bodyLength));
            if (!source.read(at + field.headerSize, body.data(), body.size())) {
                *err = "cannot read the package";
                return false;
            }
            if (!expandController(body.data(), body.size(), &parts.controller, &parts.compression,
                                  err))
                return false;
            haveController = true;
        } else if (haveController && type == FieldType::Data) {
            if (next != end) {
                *err = "a field follows the data";
                return false;
            }
            parts.dataOffset = at;
            parts.dataSize = next - at;
            *out = std::move(parts);
            return true;
        } else {
            *err = "contents: unexpected field of type " + std::to_string(field.type);
            return false;
        }
        at = next;
    }
    *err = haveController ? "contents: no data field" : "contents: no controller";
    return false;
}

}  // namespace tovrin::sis9
