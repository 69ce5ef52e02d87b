#include "tests/sissign/package_writer.h"

#include <zlib.h>

#include "src/crypto/sha1.h"
#include "src/sis/crc.h"
#include "src/sis9/field_header.h"

namespace tovrin::test {
namespace {

using sis9::FieldType;
using Bytes = std::vector<uint8_t>;

Bytes field(FieldType type, const Bytes& body) {
    Bytes out;
    sis9::appendField(out, type, body);
    return out;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes u32(uint32_t value) {
    Bytes out;
    sis9::appendU32(out, value);
    return out;
}

Bytes u64(uint64_t value) {
    Bytes out;
    sis9::appendU64(out, value);
    return out;
}

Bytes string(const std::string& ascii) {
    Bytes body;
    for (char c : ascii) sis9::appendU16(body, uint8_t(c));
    return field(FieldType::String, body);
}

// An array of `type`: each element's field without its type word.
Bytes array(FieldType type, const std::vector<Bytes>& elements) {
    Bytes body = u32(uint32_t(type));
    for (const Bytes& element : elements) body.insert(body.end(), element.begin() + 4, element.end());
    return field(FieldType::Array, body);
}

Bytes compressed(const Bytes& data, bool deflate) {
    Bytes body = cat({u32(deflate ? 1 : 0), u64(data.size())});
    if (deflate) {
        uLongf length = compressBound(uLong(data.size()));
        Bytes packed(length);
        compress2(packed.data(), &length, data.data(), uLong(data.size()), 6);
        body.insert(body.end(), packed.begin(), packed.begin() + ptrdiff_t(length));
    } else {
        body.insert(body.end(), data.begin(), data.end());
    }
    return field(FieldType::Compressed, body);
}

Bytes checksum(FieldType type, uint16_t value) {
    Bytes body;
    sis9::appendU16(body, value);
    return field(type, body);
}

}  // namespace

std::vector<uint8_t> writeExamplePackage(const ExamplePackage& package) {
    char uidHex[9];
    std::snprintf(uidHex, sizeof uidHex, "%08X", package.uid);
    const Bytes version = field(FieldType::Version, cat({u32(1), u32(0), u32(0)}));
    Bytes date, time;
    sis9::appendU16(date, 2024);
    date.push_back(5);
    date.push_back(1);
    time = {12, 0, 0};
    const Bytes dateTime =
        field(FieldType::DateTime, cat({field(FieldType::Date, date), field(FieldType::Time, time)}));
    const Bytes info = field(
        FieldType::Info,
        cat({field(FieldType::Uid, u32(package.uid)), string("Demo"),
             array(FieldType::String, {string("Demo")}), array(FieldType::String, {string("Demo")}),
             version, dateTime, Bytes{0, 0}}));
    const Bytes device = field(
        FieldType::Dependency,
        cat({field(FieldType::Uid, u32(0x101F7961)),
             field(FieldType::VersionRange,
                   field(FieldType::Version, cat({u32(0), u32(0), u32(0)}))),
             array(FieldType::String, {string("Series60ProductID")})}));
    const crypto::Sha1Digest digest = crypto::sha1(package.content.data(), package.content.size());
    const Bytes file = field(
        FieldType::FileDescription,
        cat({string("!:\\private\\" + std::string(uidHex) + "\\hello.txt"), string(""),
             field(FieldType::Hash,
                   cat({u32(1), field(FieldType::Blob, Bytes(digest.begin(), digest.end()))})),
             u32(1), u32(0), u64(package.content.size()), u64(package.content.size()), u32(0)}));
    const Bytes controller = field(
        FieldType::Controller,
        cat({info, field(FieldType::SupportedOptions, array(FieldType::SupportedOption, {})),
             field(FieldType::SupportedLanguages,
                   array(FieldType::Language, {field(FieldType::Language, u32(1))})),
             field(FieldType::Prerequisites,
                   cat({array(FieldType::Dependency, {device}), array(FieldType::Dependency, {})})),
             field(FieldType::Properties, array(FieldType::Property, {})),
             field(FieldType::InstallBlock,
                   cat({array(FieldType::FileDescription, {file}),
                        array(FieldType::Controller, {}), array(FieldType::If, {})})),
             field(FieldType::DataIndex, u32(0))}));
    const Bytes contentBytes(package.content.begin(), package.content.end());
    const Bytes fileData = field(FieldType::FileData, compressed(contentBytes, false));
    const Bytes data = field(
        FieldType::Data,
        array(FieldType::DataUnit, {field(FieldType::DataUnit, array(FieldType::FileData, {fileData}))}));
    const Bytes packed = compressed(controller, package.deflated);
    const Bytes contents = field(
        FieldType::Contents,
        cat({checksum(FieldType::ControllerChecksum, sis::crc16(packed.data(), packed.size())),
             checksum(FieldType::DataChecksum, sis::crc16(data.data(), data.size())), packed,
             data}));
    return cat({u32(0x10201A7A), u32(0), u32(package.uid),
                u32(sis::uidChecksum(0x10201A7A, 0, package.uid)), contents});
}

std::string asString(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace tovrin::test
