#include "tests/sis9/package_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>

#include "src/crypto/sha1.h"
#include "src/sis/crc.h"
#include "src/sis9/field_header.h"

namespace tovrin::test {
namespace {

using sis9::FieldType;
using sis9::appendU32;
using sis9::appendU64;

void append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

void header(Bytes& out, uint32_t type, uint64_t length, bool longForm, bool typeWord = true) {
    if (typeWord) appendU32(out, type);
    if (longForm) {
        appendU32(out, uint32_t(length & 0x7FFFFFFF) | sis9::kLongLengthBit);
        appendU32(out, uint32_t(length >> 31));
    } else {
        appendU32(out, uint32_t(length));
    }
}

struct Writer {
    bool longForm = false;
    std::vector<std::vector<Bytes>>* units = nullptr;

    Bytes field(FieldType type, const Bytes& body) const { return field9(type, body, longForm); }

    Bytes array(FieldType type, const std::vector<Bytes>& elements) const {
        Bytes body;
        appendU32(body, static_cast<uint32_t>(type));
        for (const Bytes& e : elements) {
            header(body, 0, e.size(), longForm, false);
            append(body, e);
            sis9::appendPadding(body);
        }
        return field(FieldType::Array, body);
    }

    // The body of a field: what an array element holds.
    Bytes bodyOf(const Bytes& whole) const {
        return Bytes(whole.begin() + (longForm ? 12 : 8), whole.end());
    }

    Bytes str(const std::string& s) const {
        Bytes body;
        for (char c : s) {
            body.push_back(uint8_t(c));
            body.push_back(0);
        }
        return body;
    }

    Bytes strings(const std::vector<std::string>& texts) const {
        std::vector<Bytes> e;
        for (const std::string& t : texts) e.push_back(str(t));
        return array(FieldType::String, e);
    }

    Bytes u32Field(FieldType type, uint32_t v) const {
        Bytes b;
        appendU32(b, v);
        return field(type, b);
    }

    Bytes compressed(const std::string& data, bool deflate) const {
        return field(FieldType::Compressed, compressedBody(data, deflate));
    }

    Bytes compressedBody(const std::string& data, bool deflate) const {
        Bytes stored(data.begin(), data.end());
        if (deflate) {
            uLongf size = compressBound(uLong(stored.size()));
            Bytes out(size);
            compress2(out.data(), &size, stored.data(), uLong(stored.size()), sis9::kZlibLevel);
            out.resize(size);
            stored = out;
        }
        Bytes body;
        appendU32(body, deflate ? 1 : 0);
        appendU64(body, data.size());
        append(body, stored);
        return body;
    }

    Bytes file(const File9& f, uint64_t unit, uint32_t* nextIndex) const {
        Bytes body;
        append(body, field(FieldType::String, str(f.target)));
        append(body, field(FieldType::String, {}));
        if (f.capabilities >= 0) body = [&] {
            Bytes caps;
            appendU32(caps, uint32_t(f.capabilities));
            Bytes b = body;
            append(b, field(FieldType::Capabilities, caps));
            return b;
        }();
        Bytes hash;
        appendU32(hash, sis9::kHashSha1);
        Bytes digest;
        Bytes fileData;
        if (!f.noData) {
            const std::string hashed = f.wrongHash ? f.data + "x" : f.data;
            const auto d = crypto::sha1(hashed.data(), hashed.size());
            digest.assign(d.begin(), d.end());
            fileData = compressedBody(f.data, f.deflate);
        }
        append(hash, field(FieldType::Blob, digest));
        append(body, field(FieldType::Hash, hash));
        appendU32(body, f.operation);
        appendU32(body, f.options);
        const uint64_t stored = f.noData ? 0 : fileData.size() - 12;
        appendU64(body, stored);
        appendU64(body, f.noData ? 0 : f.data.size());
        uint32_t index = 0;
        if (!f.noData) {
            index = (*nextIndex)++;
            if (units->size() <= unit) units->resize(unit + 1);
            (*units)[unit].push_back(field(FieldType::Compressed, fileData));
        }
        appendU32(body, index);
        return body;
    }

    Bytes files(const std::vector<File9>& list, uint64_t unit, uint32_t* next) const {
        std::vector<Bytes> e;
        for (const File9& f : list) e.push_back(file(f, unit, next));
        return array(FieldType::FileDescription, e);
    }

    Bytes block(const std::vector<File9>& list, const std::vector<Bytes>& embedded,
                const std::vector<If9>& ifs, uint64_t unit, uint32_t* next) const {
        Bytes body = files(list, unit, next);
        append(body, array(FieldType::Controller, embedded));
        std::vector<Bytes> conditions;
        for (const If9& i : ifs) {
            Bytes b = i.condition;
            append(b, block(i.files, {}, {}, unit, next));
            std::vector<Bytes> others;
            for (const Branch9& e : i.elseIfs) {
                Bytes o = e.condition;
                append(o, block(e.files, {}, {}, unit, next));
                others.push_back(o);
            }
            append(b, array(FieldType::ElseIf, others));
            conditions.push_back(b);
        }
        append(body, array(FieldType::If, conditions));
        return field(FieldType::InstallBlock, body);
    }

    Bytes controller(const Controller9& c, uint64_t unit, uint32_t dataIndex) const {
        Bytes info = field(FieldType::Uid, [&] { Bytes b; appendU32(b, c.uid); return b; }());
        append(info, field(FieldType::String, str(c.vendor)));
        append(info, strings(c.names));
        append(info, strings(c.names));
        Bytes version;
        for (int i = 0; i < 3; ++i) appendU32(version, i == 0 ? 1 : 0);
        append(info, field(FieldType::Version, version));
        Bytes date, time{12, 0, 0};
        sis9::appendU16(date, uint16_t(c.year));
        date.push_back(uint8_t(c.month - 1));
        date.push_back(uint8_t(c.day));
        Bytes when = field(FieldType::Date, date);
        append(when, field(FieldType::Time, time));
        append(info, field(FieldType::DateTime, when));
        info.push_back(0);
        if (!c.dropFlags) info.push_back(0);
        Bytes body = field(FieldType::Info, info);

        std::vector<Bytes> options;
        for (const auto& o : c.options) options.push_back(strings(o));
        append(body, field(FieldType::SupportedOptions, array(FieldType::SupportedOption, options)));
        std::vector<Bytes> languages;
        for (uint32_t l : c.languages) languages.push_back(bodyOf(u32Field(FieldType::Language, l)));
        append(body, field(FieldType::SupportedLanguages, array(FieldType::Language, languages)));
        Bytes target = u32Field(FieldType::Uid, sis9::kS60ThirdEditionUid);
        append(target, field(FieldType::VersionRange, field(FieldType::Version, Bytes(12, 0))));
        append(target, strings(std::vector<std::string>(c.names.size(), "Series60ProductID")));
        Bytes prerequisites = array(FieldType::Dependency, {target});
        append(prerequisites, array(FieldType::Dependency, {}));
        append(body, field(FieldType::Prerequisites, prerequisites));
        append(body, field(FieldType::Properties, array(FieldType::Property, {})));

        uint32_t next = 0;
        std::vector<Bytes> embedded;
        for (size_t i = 0; i < c.embedded.size(); ++i) {
            const uint32_t index = uint32_t(i + 1);
            embedded.push_back(bodyOf(controller(c.embedded[i], unit + index, index)));
        }
        append(body, block(c.files, embedded, c.ifs, unit, &next));
        for (const auto& sign : c.signers) append(body, sign(body));
        append(body, u32Field(FieldType::DataIndex, dataIndex));
        if (units->size() <= unit) units->resize(unit + 1);
        return field(FieldType::Controller, body);
    }
};

}  // namespace

Bytes field9(sis9::FieldType type, const Bytes& body, bool longForm) {
    Bytes out;
    header(out, static_cast<uint32_t>(type), body.size(), longForm);
    append(out, body);
    sis9::appendPadding(out);
    return out;
}

Bytes string9(const std::string& ascii) {
    Bytes body;
    for (char c : ascii) {
        body.push_back(uint8_t(c));
        body.push_back(0);
    }
    return field9(sis9::FieldType::String, body);
}

Bytes expression9(sis9::Operator op, int32_t value, const std::vector<Bytes>& operands,
                  const std::string* text) {
    Bytes body;
    appendU32(body, static_cast<uint32_t>(op));
    appendU32(body, uint32_t(value));
    if (text) append(body, string9(*text));
    for (const Bytes& o : operands) append(body, o);
    return field9(sis9::FieldType::Expression, body);
}

Bytes writeController9(const Controller9& c, bool longForm, std::vector<std::vector<Bytes>>* units) {
    Writer w;
    w.longForm = longForm;
    w.units = units;
    return w.controller(c, 0, 0);
}

Bytes writePackage9(const Package9& p) {
    std::vector<std::vector<Bytes>> units;
    Writer w;
    w.longForm = p.longForm;
    w.units = &units;
    auto compressController = [&](const Bytes& controller) {
        return w.compressed(std::string(controller.begin(), controller.end()), p.deflateController);
    };
    const Bytes controllerField = compressController(w.controller(p.controller, 0, 0));
    std::vector<Bytes> unitBodies;
    for (const auto& u : units) unitBodies.push_back(w.array(FieldType::FileData, u));
    const Bytes data = w.field(FieldType::Data, w.array(FieldType::DataUnit, unitBodies));

    uint16_t controllerCrc = sis::crc16(controllerField.data(), controllerField.size());
    if (p.stampedControllerChecksum) {
        Controller9 stamped = p.controller;
        stamped.year = 2004;
        stamped.month = 1;
        stamped.day = 1;
        std::vector<std::vector<Bytes>> ignored;
        Writer again = w;
        again.units = &ignored;
        // The SDK compiler's clock also reads 00:00:00 then; this writer's time is 12:00:00.
        Bytes c = again.controller(stamped, 0, 0);
        const size_t at = find9(c, {0x07, 0, 0, 0, 3, 0, 0, 0, 12});
        c[at + 8] = 0;
        const Bytes f = compressController(c);
        controllerCrc = sis::crc16(f.data(), f.size());
    }
    Bytes contents;
    Bytes crc;
    if (p.controllerChecksum) {
        sis9::appendU16(crc, controllerCrc);
        append(contents, w.field(FieldType::ControllerChecksum, crc));
    }
    if (p.dataChecksum) {
        crc.clear();
        sis9::appendU16(crc, sis::crc16(data.data(), data.size()));
        append(contents, w.field(FieldType::DataChecksum, crc));
    }
    append(contents, controllerField);
    append(contents, data);
    Bytes out;
    const uint32_t uid = p.controller.uid;
    appendU32(out, sis9::kUid1);
    appendU32(out, 0);
    appendU32(out, uid);
    appendU32(out, sis::uidChecksum(sis9::kUid1, 0, uid));
    append(out, w.field(FieldType::Contents, contents));
    return out;
}

Bytes chainField9(const std::string& oid, const Bytes& signature, const Bytes& certificates) {
    using sis9::FieldType;
    Bytes algorithm = field9(FieldType::SignatureAlgorithm, string9(oid));
    Bytes one = algorithm;
    append(one, field9(FieldType::Blob, signature));
    Bytes signatures;
    appendU32(signatures, static_cast<uint32_t>(FieldType::Signature));
    appendU32(signatures, uint32_t(one.size()));
    append(signatures, one);
    Bytes body = field9(FieldType::Array, signatures);
    append(body, field9(FieldType::CertificateChain, field9(FieldType::Blob, certificates)));
    return field9(FieldType::SignatureCertificateChain, body);
}

size_t find9(const Bytes& bytes, const Bytes& pattern) {
    const auto at = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
    EXPECT_NE(at, bytes.end()) << "pattern not in the package";
    return at == bytes.end() ? 0 : size_t(at - bytes.begin());
}

void putU32(Bytes& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = uint8_t(value >> (8 * i));
}

}  // namespace tovrin::test
