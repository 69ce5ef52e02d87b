#include "src/sis9/package_rewrite.h"

#include <zlib.h>

#include <algorithm>

#include "src/sis/crc.h"
#include "src/sis9/field_header.h"
#include "src/sis9/sis9_format.h"

namespace tovrin::sis9 {
namespace {

constexpr size_t kCopyBlock = 1u << 20;

bool compressedField(const PackageParts& parts, const std::vector<uint8_t>& controller,
                     std::vector<uint8_t>* field, std::string* err) {
    std::vector<uint8_t> body;
    appendU32(body, parts.compression);
    appendU64(body, controller.size());
    if (parts.compression == uint32_t(Compression::Deflate)) {
        uLongf length = compressBound(uLong(controller.size()));
        std::vector<uint8_t> packed(length);
        if (compress2(packed.data(), &length, controller.data(), uLong(controller.size()),
                      kZlibLevel) != Z_OK) {
            *err = "cannot compress the controller";
            return false;
        }
        body.insert(body.end(), packed.begin(), packed.begin() + ptrdiff_t(length));
    } else {
        body.insert(body.end(), controller.begin(), controller.end());
    }
    appendField(*field, FieldType::Compressed, body);
    return true;
}

std::vector<uint8_t> checksumField(FieldType type, uint16_t value) {
    std::vector<uint8_t> body;
    appendU16(body, value);
    std::vector<uint8_t> field;
    appendField(field, type, body);
    return field;
}

}  // namespace

bool writePackage(sis::ByteSource& source, const PackageParts& parts,
                  const std::vector<uint8_t>& controller, std::ostream& out, std::string* err) {
    std::vector<uint8_t> compressed;
    if (!compressedField(parts, controller, &compressed, err)) return false;

    std::vector<uint8_t> head(parts.uidHeader, parts.uidHeader + sizeof parts.uidHeader);
    const uint64_t contentsLength = (parts.hasControllerChecksum ? 12 : 0) +
                                    (parts.hasDataChecksum ? 12 : 0) + compressed.size() +
                                    parts.dataSize;
    appendFieldHeader(head, FieldType::Contents, contentsLength);
    if (parts.hasControllerChecksum) {
        const std::vector<uint8_t> field = checksumField(
            FieldType::ControllerChecksum, sis::crc16(compressed.data(), compressed.size()));
        head.insert(head.end(), field.begin(), field.end());
    }
    // The data checksum's value is written once the data has been copied.
    const size_t dataChecksumAt = head.size() + 8;
    if (parts.hasDataChecksum) {
        const std::vector<uint8_t> field = checksumField(FieldType::DataChecksum, 0);
        head.insert(head.end(), field.begin(), field.end());
    }
    head.insert(head.end(), compressed.begin(), compressed.end());
    const std::streampos start = out.tellp();
    out.write(reinterpret_cast<const char*>(head.data()), std::streamsize(head.size()));

    sis::Crc16 crc;
    std::vector<uint8_t> block(size_t(std::min<uint64_t>(kCopyBlock, parts.dataSize)));
    for (uint64_t done = 0; done < parts.dataSize && out;) {
        const size_t count = size_t(std::min<uint64_t>(block.size(), parts.dataSize - done));
        if (!source.read(parts.dataOffset + done, block.data(), count)) {
            *err = "cannot read the package's data";
            return false;
        }
        crc.update(block.data(), count);
        out.write(reinterpret_cast<const char*>(block.data()), std::streamsize(count));
        done += count;
    }
    if (parts.hasDataChecksum && out) {
        const std::streampos end = out.tellp();
        const uint8_t value[2] = {uint8_t(crc.value()), uint8_t(crc.value() >> 8)};
        out.seekp(start + std::streamoff(dataChecksumAt));
        out.write(reinterpret_cast<const char*>(value), 2);
        out.seekp(end);
    }
    if (!out) {
        *err = "cannot write the package";
        return false;
    }
    return true;
}

}  // namespace tovrin::sis9
