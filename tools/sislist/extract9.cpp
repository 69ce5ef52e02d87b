#include "tools/sislist/extract9.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "src/crypto/sha1.h"
#include "src/sis/crc.h"
#include "src/sis9/field_header.h"
#include "src/sis9/sis9_verify.h"
#include "tools/sislist/extract.h"

namespace tovrin::sislist {
namespace fs = std::filesystem;
using sis9::FieldType;

namespace {

constexpr size_t kChunk = 64 * 1024;

std::string hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", v);
    return text;
}

// A length word (or two) as an array element starts: a field header without its type.
std::vector<uint8_t> elementHeader(uint64_t length) {
    std::vector<uint8_t> h;
    sis9::appendFieldHeader(h, FieldType::Array, length);
    h.erase(h.begin(), h.begin() + 4);
    return h;
}

bool copyRange(sis::ByteSource& source, uint64_t from, uint64_t to, const sis9::DataSink& sink,
               std::string* err) {
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(kChunk, to - from)));
    for (uint64_t pos = from; pos < to;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(buffer.size(), to - pos));
        if (!source.read(pos, buffer.data(), n)) {
            *err = "cannot read the package";
            return false;
        }
        if (!sink(buffer.data(), n, err)) return false;
        pos += n;
    }
    return true;
}

// Writes through `write` to a temporary name beside `target`, renamed once `write` succeeded.
bool writeFile(const fs::path& target, const std::function<bool(const sis9::DataSink&,
                                                                std::string*)>& write,
               std::string* err) {
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    if (ec) {
        *err = target.parent_path().u8string() + ": cannot create folder: " + ec.message();
        return false;
    }
    fs::path temporary = target;
    temporary += ".tovrin-part";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
        *err = temporary.u8string() + ": cannot create";
        return false;
    }
    std::string message;
    const bool ok = write(
        [&out](const uint8_t* data, size_t size, std::string* e) {
            out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
            if (!out) *e = "write failed";
            return static_cast<bool>(out);
        },
        &message);
    out.close();
    if (ok && out) {
        fs::rename(temporary, target, ec);
        if (!ec) return true;
        message = "cannot rename: " + ec.message();
    } else if (ok) {
        message = "write failed";
    }
    *err = target.u8string() + ": " + message;
    fs::remove(temporary, ec);
    return false;
}

}  // namespace

bool writeEmbeddedPackage(sis::ByteSource& source, const sis9::Package& p,
                          const sis9::Controller& c, const sis9::DataSink& sink,
                          std::string* err) {
    // The controller as a field of its own, its data index 0: the index is not signed.
    std::vector<uint8_t> controller;
    sis9::appendFieldHeader(controller, FieldType::Controller, c.bodyEnd - c.bodyBegin);
    const size_t headerSize = controller.size();
    controller.insert(controller.end(), p.controllerBytes.begin() + long(c.bodyBegin),
                      p.controllerBytes.begin() + long(c.bodyEnd));
    std::fill_n(controller.begin() + long(c.dataIndexOffset - c.bodyBegin + headerSize), 4, 0);
    uLongf size = compressBound(uLong(controller.size()));
    std::vector<uint8_t> deflated(size);
    if (compress2(deflated.data(), &size, controller.data(), uLong(controller.size()),
                  sis9::kZlibLevel) != Z_OK) {
        *err = "cannot compress the controller";
        return false;
    }
    deflated.resize(size);
    std::vector<uint8_t> compressedBody;
    sis9::appendU32(compressedBody, static_cast<uint32_t>(sis9::Compression::Deflate));
    sis9::appendU64(compressedBody, controller.size());
    compressedBody.insert(compressedBody.end(), deflated.begin(), deflated.end());
    std::vector<uint8_t> compressed;
    sis9::appendField(compressed, FieldType::Compressed, compressedBody);

    // Its data units, and those of the packages it embeds, renumbered from its own.
    uint64_t last = c.dataUnit;
    sis9::forEachController(c, [&](const sis9::Controller& e) { last = std::max(last, e.dataUnit); });
    std::vector<std::pair<uint64_t, uint64_t>> units;
    for (uint64_t u = c.dataUnit; u <= last && u < p.unitRanges.size(); ++u) {
        units.push_back(p.unitRanges[size_t(u)]);
    }
    uint64_t elements = 4;
    for (const auto& u : units) {
        elements += elementHeader(u.second - u.first).size() + sis9::padded(u.second - u.first);
    }
    std::vector<uint8_t> arrayHeader;
    sis9::appendFieldHeader(arrayHeader, FieldType::Array, elements);
    sis9::appendU32(arrayHeader, static_cast<uint32_t>(FieldType::DataUnit));
    std::vector<uint8_t> dataHeader;
    sis9::appendFieldHeader(dataHeader, FieldType::Data, arrayHeader.size() - 4 + elements);
    dataHeader.insert(dataHeader.end(), arrayHeader.begin(), arrayHeader.end());
    const uint64_t dataSize = dataHeader.size() - 4 + elements;

    // The data field goes out in pieces: the same walk first sums it, then writes it.
    const uint8_t zeros[4] = {};
    auto data = [&](const sis9::DataSink& out, std::string* e) {
        if (!out(dataHeader.data(), dataHeader.size(), e)) return false;
        for (const auto& u : units) {
            const std::vector<uint8_t> h = elementHeader(u.second - u.first);
            const size_t pad = size_t(sis9::padded(u.second - u.first) - (u.second - u.first));
            if (!out(h.data(), h.size(), e) || !copyRange(source, u.first, u.second, out, e) ||
                (pad && !out(zeros, pad, e))) {
                return false;
            }
        }
        return true;
    };
    sis::Crc16 dataCrc;
    if (!data([&](const uint8_t* d, size_t n, std::string*) { dataCrc.update(d, n); return true; },
              err)) {
        return false;
    }

    std::vector<uint8_t> head;
    sis9::appendU32(head, sis9::kUid1);
    sis9::appendU32(head, sis9::kUid2);
    sis9::appendU32(head, c.uid);
    sis9::appendU32(head, sis::uidChecksum(sis9::kUid1, sis9::kUid2, c.uid));
    sis9::appendFieldHeader(head, FieldType::Contents, 24 + compressed.size() + dataSize);
    std::vector<uint8_t> checksum;
    sis9::appendU16(checksum, sis::crc16(compressed.data(), compressed.size()));
    sis9::appendField(head, FieldType::ControllerChecksum, checksum);
    checksum.clear();
    sis9::appendU16(checksum, dataCrc.value());
    sis9::appendField(head, FieldType::DataChecksum, checksum);
    head.insert(head.end(), compressed.begin(), compressed.end());
    return sink(head.data(), head.size(), err) && data(sink, err);
}

bool extractPackage9(sis::ByteSource& source, const sis9::Package& p, const std::string& folder,
                     std::vector<Extracted9>* written, std::vector<std::string>* errors) {
    if (p.form != sis9::Form::Package) return true;  // a stub holds no file data
    const fs::path root = fs::u8path(folder);
    std::error_code ec;
    fs::create_directories(root, ec);
    if (ec) {
        errors->push_back(folder + ": cannot create folder: " + ec.message());
        return false;
    }
    std::set<std::string> used;
    auto claim = [&](const std::string& base) {
        std::string name = base;
        for (int n = 1; used.count(lowerAscii(name)); ++n) name = base + "." + std::to_string(n);
        used.insert(lowerAscii(name));
        return name;
    };
    auto place = [&](const std::string& what, const std::string& name,
                     const std::function<bool(const sis9::DataSink&, std::string*)>& write) {
        std::string err;
        if (!noLinkBelow(folder, name, &err) || !writeFile(root / fs::u8path(name), write, &err)) {
            errors->push_back(what + ": " + err);
            return;
        }
        written->push_back({what, name});
    };
    sis9::forEachController(p.controller, [&](const sis9::Controller& c) {
        if (c.depth > 0) {
            place(c.path, claim("embedded-" + hex(c.uid) + ".sis"),
                  [&](const sis9::DataSink& out, std::string* e) {
                      return writeEmbeddedPackage(source, p, c, out, e);
                  });
        }
        sis9::forEachFile(c, [&](const sis9::FileDescription& f) {
            const sis9::FileData* data = sis9::findFileData(p, c, f);
            if (!data) return;
            std::string name = safeRelativePath(f.target);
            const bool named = !f.target.empty() && f.target.back() != '\\' &&
                               f.target.back() != '/' && !name.empty();
            if (!named) name += (name.empty() ? "" : "/") + ("file" + std::to_string(f.fileIndex));
            place(f.path, claim(name), [&](const sis9::DataSink& out, std::string* e) {
                crypto::Sha1 sha;
                if (!sis9::readFileData(source, *data,
                                        [&](const uint8_t* d, size_t n, std::string* x) {
                                            sha.update(d, n);
                                            return out(d, n, x);
                                        },
                                        e)) {
                    return false;
                }
                const crypto::Sha1Digest digest = sha.finish();
                if (f.hash.size() != digest.size() ||
                    !std::equal(digest.begin(), digest.end(), f.hash.begin())) {
                    *e = "SHA-1 " + sis9::hexDigest(digest.data(), digest.size()) +
                         " of the data differs from the stored hash";
                    return false;
                }
                return true;
            });
        });
    });
    return errors->empty();
}

}  // namespace tovrin::sislist
