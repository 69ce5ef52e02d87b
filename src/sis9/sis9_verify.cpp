#include "src/sis9/sis9_verify.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>

#include "src/sis/crc.h"
#include "src/sis9/field_header.h"

namespace tovrin::sis9 {
namespace {

constexpr const char* kCapabilityNames[] = {
    "TCB", "CommDD", "PowerMgmt", "MultimediaDD", "ReadDeviceData", "WriteDeviceData", "DRM",
    "TrustedUI", "ProtServ", "DiskAdmin", "NetworkControl", "AllFiles", "SwEvent",
    "NetworkServices", "LocalServices", "ReadUserData", "WriteUserData", "Location",
    "SurroundingsDD", "UserEnvironment",
};
constexpr uint64_t kUserGrantable = (1u << 13) | (1u << 14) | (1u << 15) | (1u << 16) |
                                    (1u << 17) | (1u << 19);

std::string hex(uint32_t v, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, v);
    return text;
}

bool crcRange(sis::ByteSource& source, uint64_t from, uint64_t to, uint16_t* out) {
    sis::Crc16 crc;
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(64 * 1024, to - from)));
    for (uint64_t pos = from; pos < to;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(buffer.size(), to - pos));
        if (!source.read(pos, buffer.data(), n)) return false;
        crc.update(buffer.data(), n);
        pos += n;
    }
    *out = crc.value();
    return true;
}

void add(Verification& v, const std::string& what, Status status, const std::string& detail) {
    v.checks.push_back({what, status, detail});
}

void checkLists(Verification& v, const Controller& c) {
    const size_t n = c.languages.size();
    std::string wrong;
    auto test = [&](const std::string& what, size_t count) {
        if (count != n) wrong += (wrong.empty() ? "" : ", ") + what + " " + std::to_string(count);
    };
    test("names", c.names.size());
    test("vendor names", c.vendors.size());
    for (size_t i = 0; i < c.options.size(); ++i) {
        test("option " + std::to_string(i), c.options[i].size());
    }
    for (size_t i = 0; i < c.targets.size(); ++i) {
        test("target device " + std::to_string(i), c.targets[i].names.size());
    }
    for (size_t i = 0; i < c.dependencies.size(); ++i) {
        test("dependency " + std::to_string(i), c.dependencies[i].names.size());
    }
    if (n == 0) {
        add(v, c.path + "/languages", Status::Failed, "no language");
    } else if (!wrong.empty()) {
        add(v, c.path + "/languages", Status::Failed,
            std::to_string(n) + " languages, but " + wrong + " texts");
    }
    if (c.unknownMembers > 0) {
        add(v, c.path, Status::Warning,
            std::to_string(c.unknownMembers) + " unknown fields after the data index, ignored");
    }
}

FileResult checkFile(sis::ByteSource& source, const Package& p, const Controller& c,
                     const FileDescription& f) {
    FileResult r;
    const FileData* data = findFileData(p, c, f);
    if (!data) {
        const bool wanted = f.operation != kOpNull && !f.hash.empty() && p.form == Form::Package &&
                            c.dataUnit < p.units.size();
        if (wanted) {
            r.error = "file index " + std::to_string(f.fileIndex) + " is not in data unit " +
                      std::to_string(c.dataUnit) + " (" +
                      std::to_string(p.units[c.dataUnit].size()) + " files)";
        } else {
            r.ok = true;
        }
        return r;
    }
    r.hasData = true;
    if (f.length != data->storedSize) {
        r.error = "length " + std::to_string(f.length) + ", but the package stores " +
                  std::to_string(data->storedSize) + " bytes";
        return r;
    }
    if (f.uncompressedLength != data->size) {
        r.error = "uncompressed length " + std::to_string(f.uncompressedLength) +
                  ", but the data declares " + std::to_string(data->size);
        return r;
    }
    crypto::Sha1 sha;
    std::string message;
    if (!readFileData(source, *data,
                      [&](const uint8_t* d, size_t n, std::string*) {
                          sha.update(d, n);
                          r.size += n;
                          return true;
                      },
                      &message)) {
        r.error = "data unit " + std::to_string(c.dataUnit) + " file " +
                  std::to_string(f.fileIndex) + ": " + message;
        return r;
    }
    r.sha1 = sha.finish();
    if (f.hashAlgorithm != kHashSha1) {
        r.error = "hash algorithm " + std::to_string(f.hashAlgorithm) + " is not SHA-1";
    } else if (f.hash.size() != r.sha1.size() ||
               !std::equal(r.sha1.begin(), r.sha1.end(), f.hash.begin())) {
        r.error = "SHA-1 " + hexDigest(r.sha1.data(), r.sha1.size()) + " of the data, stored " +
                  (f.hash.empty() ? std::string("none") : hexDigest(f.hash.data(), f.hash.size()));
    } else {
        r.ok = true;
    }
    return r;
}

}  // namespace

std::string hexDigest(const uint8_t* data, size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < size; ++i) {
        s.push_back(kDigits[data[i] >> 4]);
        s.push_back(kDigits[data[i] & 15]);
    }
    return s;
}

uint64_t restrictedCapabilities(uint64_t bits) { return bits & ~kUserGrantable; }

std::string capabilityNames(uint64_t bits) {
    std::string s;
    for (int k = 0; k < 64; ++k) {
        if (!(bits >> k & 1)) continue;
        if (!s.empty()) s += " ";
        s += k < 20 ? kCapabilityNames[k] : "bit " + std::to_string(k);
    }
    return s;
}

bool Verification::verified() const { return count(Status::Failed) == 0; }

size_t Verification::count(Status status) const {
    return static_cast<size_t>(std::count_if(checks.begin(), checks.end(),
                                             [&](const Check& c) { return c.status == status; }));
}

uint16_t stampedControllerChecksum(const Package& p) {
    std::vector<uint8_t> controller = p.controllerBytes;
    const uint64_t date = p.controller.dateOffset;
    if (date + 15 > controller.size()) return 0;
    // The date's body, then the time field's header and its three bytes.
    const uint8_t stamp[15] = {uint8_t(kStubYear & 0xFF), uint8_t(kStubYear >> 8), 0, 1,
                               static_cast<uint8_t>(FieldType::Time), 0, 0, 0, 3, 0, 0, 0,
                               0, 0, 0};
    std::copy(stamp, stamp + sizeof stamp, controller.data() + date);
    std::vector<uint8_t> data = controller;
    if (p.controllerCompression == static_cast<uint32_t>(Compression::Deflate)) {
        uLongf size = compressBound(uLong(controller.size()));
        data.resize(size);
        if (compress2(data.data(), &size, controller.data(), uLong(controller.size()),
                      kZlibLevel) != Z_OK) {
            return 0;
        }
        data.resize(size);
    }
    std::vector<uint8_t> body;
    appendU32(body, p.controllerCompression);
    appendU64(body, controller.size());
    body.insert(body.end(), data.begin(), data.end());
    std::vector<uint8_t> field;
    appendField(field, FieldType::Compressed, body);
    return sis::crc16(field.data(), field.size());
}

Verification verifyPackage(sis::ByteSource& source, const Package& p) {
    Verification v;
    if (p.form == Form::Package) {
        const uint32_t uid4 = sis::uidChecksum(p.uid1, p.uid2, p.uid3);
        add(v, "UID4", p.uid4 == uid4 ? Status::Ok : Status::Failed,
            "stored " + hex(p.uid4, 8) + ", computed " + hex(uid4, 8));
        add(v, "UID3", p.uid3 == p.controller.uid ? Status::Ok : Status::Failed,
            hex(p.uid3, 8) + (p.uid3 == p.controller.uid ? ", the package UID"
                                                         : ", but the package UID is " +
                                                               hex(p.controller.uid, 8)));
        uint16_t crc = 0;
        if (!p.hasControllerChecksum) {
            add(v, "controller checksum", Status::Ok, "none stored");
        } else if (!crcRange(source, p.controllerFieldOffset,
                             p.controllerFieldOffset + p.controllerFieldSize, &crc)) {
            add(v, "controller checksum", Status::Failed, "cannot read the controller");
        } else {
            const std::string values =
                "stored " + hex(p.controllerChecksum, 4) + ", computed " + hex(crc, 4);
            if (crc == p.controllerChecksum) {
                add(v, "controller checksum", Status::Ok, values);
            } else if (stampedControllerChecksum(p) == p.controllerChecksum) {
                add(v, "controller checksum", Status::Warning,
                    values + ": the SDK compiler's value, made before it stamped the creation "
                             "time (phones do not check it)");
            } else {
                add(v, "controller checksum", Status::Warning,
                    values + ": no rule gives the stored value, as in many packages of SDK-era "
                             "signers (phones do not check it)");
            }
        }
        if (!p.hasDataChecksum) {
            add(v, "data checksum", Status::Ok, "none stored");
        } else if (!crcRange(source, p.dataFieldOffset, p.dataFieldOffset + p.dataFieldSize,
                             &crc)) {
            add(v, "data checksum", Status::Failed, "cannot read the data");
        } else {
            const std::string values =
                "stored " + hex(p.dataChecksum, 4) + ", computed " + hex(crc, 4);
            add(v, "data checksum", crc == p.dataChecksum ? Status::Ok : Status::Warning,
                crc == p.dataChecksum
                    ? values
                    : values + ": as SDK-era signers left it in many packages (phones do not "
                               "check it)");
        }
        if (p.unknownMembers > 0) {
            add(v, "contents", Status::Warning,
                std::to_string(p.unknownMembers) + " unknown fields, ignored");
        }
    }
    forEachController(p.controller, [&](const Controller& c) {
        checkLists(v, c);
        forEachFile(c, [&](const FileDescription& f) {
            FileResult r = checkFile(source, p, c, f);
            if (r.hasData || !r.ok) {
                add(v, f.path, r.ok ? Status::Ok : Status::Failed,
                    r.ok ? "SHA-1 " + hexDigest(r.sha1.data(), r.sha1.size()) + ", " +
                               std::to_string(r.size) + " bytes"
                         : r.error);
            }
            v.files[&f] = r;
        });
    });
    return v;
}

}  // namespace tovrin::sis9
