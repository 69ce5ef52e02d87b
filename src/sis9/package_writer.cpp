#include "src/sis9/package_writer.h"

#include <zlib.h>

#include <fstream>
#include <istream>
#include <ostream>

#include "src/sis/crc.h"
#include "src/sis9/field_header.h"

namespace tovrin::sis9 {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kBuffer = 256 * 1024;
// Every length word of the data is 32 bits wide in the short form; one package stays below
// the long form.
constexpr uint64_t kMaxLength = 0x7FFFFFFFull;
// Where the data checksum's value stands: UID header, contents header, controller checksum
// field, data checksum header.
constexpr std::streamoff kDataChecksumOffset = 16 + 8 + 12 + 8;

// A Compressed field of `stored` bytes, with its header and padding.
uint64_t compressedFieldSize(uint64_t stored) { return 8 + padded(12 + stored); }

// The size of the top unit's body (an Array of FileData).
uint64_t unitBodySize(const std::vector<DataFile>& files) {
    uint64_t size = 8 + 4;
    for (const DataFile& f : files) size += 4 + compressedFieldSize(f.encoded.storedLength);
    return size;
}

class DataSink {
public:
    explicit DataSink(std::ostream& out) : out_(out) {}
    void write(const void* data, size_t size) {
        out_.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
        crc_.update(data, size);
    }
    void write(const Bytes& bytes) { write(bytes.data(), bytes.size()); }
    void pad(uint64_t length) {
        static const uint8_t zeros[4] = {};
        write(zeros, static_cast<size_t>(padded(length) - length));
    }
    uint16_t crc() const { return crc_.value(); }
    bool ok() const { return static_cast<bool>(out_); }

private:
    std::ostream& out_;
    sis::Crc16 crc_;
};

Bytes header(FieldType type, uint64_t length) {
    Bytes out;
    appendFieldHeader(out, type, length);
    return out;
}

bool copy(std::istream& in, uint64_t offset, uint64_t size, DataSink& sink, Bytes& buffer) {
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    while (size > 0) {
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(size, buffer.size()));
        in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(piece));
        if (static_cast<size_t>(in.gcount()) != piece) return false;
        sink.write(buffer.data(), piece);
        size -= piece;
    }
    return true;
}

}  // namespace

std::vector<uint8_t> compressedController(const std::vector<uint8_t>& controllerField) {
    uLongf length = compressBound(static_cast<uLong>(controllerField.size()));
    Bytes deflated(length);
    compress2(deflated.data(), &length, controllerField.data(),
              static_cast<uLong>(controllerField.size()), kZlibLevel);
    deflated.resize(length);
    Bytes body;
    appendU32(body, static_cast<uint32_t>(Compression::Deflate));
    appendU64(body, controllerField.size());
    body.insert(body.end(), deflated.begin(), deflated.end());
    Bytes field;
    appendField(field, FieldType::Compressed, body);
    return field;
}

bool writeStub(const Controller& controller, std::ostream& out, std::string* err) {
    const Bytes field = controllerField(controller);
    out.write(reinterpret_cast<const char*>(field.data()),
              static_cast<std::streamsize>(field.size()));
    if (!out) {
        *err = "cannot write the stub";
        return false;
    }
    return true;
}

bool writePackage(const Controller& controller, const PackageData& data, std::ostream& out,
                  std::string* err) {
    const Bytes compressed = compressedController(controllerField(controller));

    uint64_t arrayBody = 4;
    const uint64_t topUnitBody = unitBodySize(data.files);
    if (data.topUnit) arrayBody += 4 + topUnitBody;
    for (const auto& embedded : data.embedded) {
        for (const auto& unit : embedded.units) arrayBody += unit.size;
    }
    const uint64_t dataBody = 8 + arrayBody;
    const uint64_t contentsBody = 12 + 12 + compressed.size() + 8 + dataBody;
    if (contentsBody > kMaxLength) {
        *err = "the package would be larger than 2 GiB, more than its length fields hold";
        return false;
    }

    Bytes head;
    appendU32(head, kUid1);
    appendU32(head, kUid2);
    appendU32(head, controller.uid);
    appendU32(head, sis::uidChecksum(kUid1, kUid2, controller.uid));
    appendFieldHeader(head, FieldType::Contents, contentsBody);
    appendFieldHeader(head, FieldType::ControllerChecksum, 2);
    appendU16(head, sis::crc16(compressed.data(), compressed.size()));
    appendU16(head, 0);
    appendFieldHeader(head, FieldType::DataChecksum, 2);
    appendU32(head, 0);  // filled in once the data is written
    head.insert(head.end(), compressed.begin(), compressed.end());
    out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));

    DataSink sink(out);
    sink.write(header(FieldType::Data, dataBody));
    sink.write(header(FieldType::Array, arrayBody));
    Bytes word;
    appendU32(word, static_cast<uint32_t>(FieldType::DataUnit));
    sink.write(word);
    Bytes buffer(kBuffer);
    if (data.topUnit) {
        Bytes unit;
        appendU32(unit, static_cast<uint32_t>(topUnitBody));
        appendFieldHeader(unit, FieldType::Array, topUnitBody - 8);
        appendU32(unit, static_cast<uint32_t>(FieldType::FileData));
        sink.write(unit);
        for (const DataFile& file : data.files) {
            const EncodedFile& e = file.encoded;
            Bytes fields;
            appendU32(fields, static_cast<uint32_t>(compressedFieldSize(e.storedLength)));
            appendFieldHeader(fields, FieldType::Compressed, 12 + e.storedLength);
            appendU32(fields, static_cast<uint32_t>(e.deflated ? Compression::Deflate
                                                               : Compression::Stored));
            appendU64(fields, e.length);
            sink.write(fields);
            bool copied;
            if (e.deflated) {
                copied = file.scratch && copy(*file.scratch, e.scratchOffset, e.storedLength, sink, buffer);
            } else {
                std::ifstream in(file.source, std::ios::binary);
                copied = in && copy(in, 0, e.length, sink, buffer);
            }
            if (!copied) {
                *err = "cannot read " + file.source.u8string() + " again: it changed while the "
                       "package was made";
                return false;
            }
            sink.pad(12 + e.storedLength);
        }
    }
    for (const auto& embedded : data.embedded) {
        std::ifstream in(embedded.path, std::ios::binary);
        for (const auto& unit : embedded.units) {
            if (!in || !copy(in, unit.offset, unit.size, sink, buffer)) {
                *err = "cannot read " + embedded.path.u8string() + " again";
                return false;
            }
        }
    }
    const uint16_t dataCrc = sink.crc();
    out.seekp(kDataChecksumOffset);
    const uint8_t crcBytes[2] = {uint8_t(dataCrc), uint8_t(dataCrc >> 8)};
    out.write(reinterpret_cast<const char*>(crcBytes), 2);
    out.seekp(0, std::ios::end);
    if (!out || !sink.ok()) {
        *err = "cannot write the package";
        return false;
    }
    return true;
}

}  // namespace tovrin::sis9
