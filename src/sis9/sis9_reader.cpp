#include "src/sis9/sis9_reader.h"

#include <algorithm>
#include <cstdio>

#include "src/sis/sis_text.h"
#include "src/sis9/condition_text.h"
#include "src/sis9/field_header.h"

namespace tovrin::sis9 {
namespace {

std::string hex(uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(v));
    return text;
}

std::string at(const std::string& path, size_t index) {
    return path + " " + std::to_string(index);
}

// A range of the controller buffer still to be read.
struct Span {
    uint64_t pos = 0;
    uint64_t end = 0;
    uint64_t left() const { return end - pos; }
};

// Parses the inflated controller held in one buffer. Every member is read from a span bounded
// by its parent, so no length can reach past the field that holds it.
class ControllerParser {
public:
    ControllerParser(const std::vector<uint8_t>& bytes, std::string* err)
        : base_(bytes.data()), err_(err) {}

    bool controller(Span body, const std::string& path, int depth, uint64_t parentUnit,
                    Controller* c);

private:
    bool fail(const std::string& path, const std::string& message) {
        *err_ = path + ": " + message;
        return false;
    }

    uint32_t peek(const Span& s) const { return s.left() >= 4 ? loadU32(base_ + s.pos) : 0; }

    // The next field, which must be of type `type`: its body, and `s` moved past its padding.
    bool field(Span& s, FieldType type, const std::string& path, Span* body) {
        FieldHeader h;
        std::string message;
        if (!parseFieldHeader(base_ + s.pos, s.left(), &h, &message)) return fail(path, message);
        if (h.type != static_cast<uint32_t>(type)) {
            return fail(path, "field of type " + std::to_string(h.type) + " where type " +
                                  std::to_string(static_cast<uint32_t>(type)) + " belongs");
        }
        body->pos = s.pos + h.headerSize;
        body->end = body->pos + h.bodyLength;
        s.pos = std::min(s.end, body->pos + padded(h.bodyLength));
        return true;
    }

    bool skipField(Span& s, const std::string& path) {
        FieldHeader h;
        std::string message;
        if (!parseFieldHeader(base_ + s.pos, s.left(), &h, &message)) return fail(path, message);
        s.pos = std::min(s.end, s.pos + h.headerSize + padded(h.bodyLength));
        return true;
    }

    bool need(const Span& s, uint64_t n, const std::string& path, const char* what) {
        return s.left() >= n || fail(path, std::string("cut short before ") + what);
    }

    bool u8(Span& s, const std::string& path, const char* what, uint8_t* v) {
        if (!need(s, 1, path, what)) return false;
        *v = base_[s.pos++];
        return true;
    }

    bool u32(Span& s, const std::string& path, const char* what, uint32_t* v) {
        if (!need(s, 4, path, what)) return false;
        *v = loadU32(base_ + s.pos);
        s.pos += 4;
        return true;
    }

    bool u64(Span& s, const std::string& path, const char* what, uint64_t* v) {
        if (!need(s, 8, path, what)) return false;
        *v = loadU64(base_ + s.pos);
        s.pos += 8;
        return true;
    }

    // An array field of elements of `type`; `each` gets every element's body and index.
    template <typename Each>
    bool array(Span& s, FieldType type, const std::string& path, const std::string& element,
               Each each) {
        Span body;
        if (!field(s, FieldType::Array, path, &body)) return false;
        uint32_t elementType = 0;
        if (!u32(body, path, "the element type", &elementType)) return false;
        if (elementType != static_cast<uint32_t>(type)) {
            return fail(path, "array of type " + std::to_string(elementType) + " where type " +
                                  std::to_string(static_cast<uint32_t>(type)) + " belongs");
        }
        for (size_t i = 0; body.left() > 0; ++i) {
            const std::string p = element.empty() ? path : at(element, i);
            // An element is a field without its type word: the same length forms follow.
            uint8_t header[12] = {};
            const uint64_t n = std::min<uint64_t>(body.left(), 8);
            std::copy(base_ + body.pos, base_ + body.pos + n, header + 4);
            FieldHeader h;
            std::string message;
            if (!parseFieldHeader(header, body.left() + 4, &h, &message)) {
                return fail(p, message == "field header cut short" ? "element header cut short"
                                                                   : message);
            }
            const uint64_t headerSize = h.headerSize - 4;
            Span item{body.pos + headerSize, body.pos + headerSize + h.bodyLength};
            body.pos = std::min(body.end, item.end + (padded(h.bodyLength) - h.bodyLength));
            if (!each(item, i, p)) return false;
        }
        return true;
    }

    std::string text(const Span& body) const {
        return sis::utf16leToUtf8(base_ + body.pos, static_cast<size_t>(body.left()));
    }

    bool string(Span& s, const std::string& path, std::string* out) {
        Span body;
        if (!field(s, FieldType::String, path, &body)) return false;
        *out = text(body);
        return true;
    }

    bool strings(Span& s, const std::string& path, std::vector<std::string>* out) {
        return array(s, FieldType::String, path, "", [&](Span item, size_t, const std::string&) {
            out->push_back(text(item));
            return true;
        });
    }

    bool blob(Span& s, const std::string& path, std::vector<uint8_t>* out) {
        Span body;
        if (!field(s, FieldType::Blob, path, &body)) return false;
        out->assign(base_ + body.pos, base_ + body.end);
        return true;
    }

    bool uid(Span& s, const std::string& path, uint32_t* out) {
        Span body;
        return field(s, FieldType::Uid, path, &body) && u32(body, path, "the UID", out);
    }

    bool version(Span& s, const std::string& path, Version* v) {
        Span body;
        uint32_t a = 0, b = 0, c = 0;
        if (!field(s, FieldType::Version, path, &body) || !u32(body, path, "the major", &a) ||
            !u32(body, path, "the minor", &b) || !u32(body, path, "the build", &c)) {
            return false;
        }
        *v = {int32_t(a), int32_t(b), int32_t(c)};
        return true;
    }

    bool info(Span& s, const std::string& path, Controller* c);
    bool dependency(Span body, const std::string& path, Dependency* d);
    bool file(Span body, const std::string& path, FileDescription* f);
    bool expression(Span& s, const std::string& path, int depth, Expression* e);
    bool block(Span& s, const std::string& path, const Controller& owner, int nesting,
               InstallBlock* b);
    bool chain(Span body, const std::string& path, SignatureChain* chain);
    bool dependencies(Span& s, const std::string& path, const std::string& element,
                      std::vector<Dependency>* out) {
        return array(s, FieldType::Dependency, path, element,
                     [&](Span item, size_t, const std::string& p) {
                         out->emplace_back();
                         return dependency(item, p, &out->back());
                     });
    }

    const uint8_t* base_;
    std::string* err_;
};

bool ControllerParser::info(Span& s, const std::string& path, Controller* c) {
    Span body;
    if (!field(s, FieldType::Info, path, &body) || !uid(body, path + "/UID", &c->uid) ||
        !string(body, path + "/unique vendor name", &c->uniqueVendor) ||
        !strings(body, path + "/names", &c->names) ||
        !strings(body, path + "/vendor names", &c->vendors) ||
        !version(body, path + "/version", &c->version)) {
        return false;
    }
    const std::string when = path + "/creation time";
    Span dateTime, date, time;
    if (!field(body, FieldType::DateTime, when, &dateTime) ||
        !field(dateTime, FieldType::Date, when + "/date", &date) ||
        !need(date, 4, when + "/date", "the day") ||
        !field(dateTime, FieldType::Time, when + "/time", &time) ||
        !need(time, 3, when + "/time", "the seconds")) {
        return false;
    }
    const uint8_t* d = base_ + date.pos;
    const uint8_t* t = base_ + time.pos;
    c->dateOffset = date.pos;
    c->year = loadU16(d);
    c->month = d[2] + 1;
    c->day = d[3];
    c->hour = t[0];
    c->minute = t[1];
    c->second = t[2];
    return u8(body, path, "the install type", &c->installType) &&
           u8(body, path, "the install flags", &c->installFlags);
}

bool ControllerParser::dependency(Span body, const std::string& path, Dependency* d) {
    if (!uid(body, path + "/UID", &d->uid)) return false;
    if (peek(body) == static_cast<uint32_t>(FieldType::VersionRange)) {
        Span range;
        d->hasRange = true;
        if (!field(body, FieldType::VersionRange, path + "/versions", &range) ||
            !version(range, path + "/versions/from", &d->from)) {
            return false;
        }
        if (range.left() > 0) {
            d->hasTo = true;
            if (!version(range, path + "/versions/to", &d->to)) return false;
        }
    }
    return strings(body, path + "/names", &d->names);
}

bool ControllerParser::file(Span body, const std::string& path, FileDescription* f) {
    f->path = path;
    if (!string(body, path + "/target", &f->target) ||
        !string(body, path + "/MIME type", &f->mime)) {
        return false;
    }
    if (peek(body) == static_cast<uint32_t>(FieldType::Capabilities)) {
        Span caps;
        if (!field(body, FieldType::Capabilities, path + "/capabilities", &caps)) return false;
        f->hasCapabilities = true;
        f->capabilities.assign(base_ + caps.pos, base_ + caps.end);
    }
    Span hash;
    return field(body, FieldType::Hash, path + "/hash", &hash) &&
           u32(hash, path + "/hash", "the algorithm", &f->hashAlgorithm) &&
           blob(hash, path + "/hash/digest", &f->hash) &&
           u32(body, path, "the operation", &f->operation) &&
           u32(body, path, "the operation options", &f->options) &&
           u64(body, path, "the length", &f->length) &&
           u64(body, path, "the uncompressed length", &f->uncompressedLength) &&
           u32(body, path, "the file index", &f->fileIndex);
}

bool ControllerParser::expression(Span& s, const std::string& path, int depth, Expression* e) {
    if (depth > kMaxExpressionDepth) return fail(path, "condition nested too deeply");
    Span body;
    uint32_t value = 0;
    if (!field(s, FieldType::Expression, path, &body) ||
        !u32(body, path, "the operator", &e->op) || !u32(body, path, "the value", &value)) {
        return false;
    }
    e->value = int32_t(value);
    if (peek(body) == static_cast<uint32_t>(FieldType::String)) {
        e->hasText = true;
        if (!string(body, path + "/string", &e->text)) return false;
    }
    while (e->operands.size() < 2 && peek(body) == static_cast<uint32_t>(FieldType::Expression)) {
        e->operands.emplace_back();
        const char* side = e->operands.size() == 1 ? "/left" : "/right";
        if (!expression(body, path + side, depth + 1, &e->operands.back())) return false;
    }
    return true;
}

bool ControllerParser::block(Span& s, const std::string& path, const Controller& owner,
                             int nesting, InstallBlock* b) {
    if (nesting > kMaxBlockNesting) return fail(path, "conditions nested too deeply");
    Span body;
    if (!field(s, FieldType::InstallBlock, path, &body)) return false;
    if (!array(body, FieldType::FileDescription, path + "/files", path + "/file",
               [&](Span item, size_t, const std::string& p) {
                   b->files.emplace_back();
                   return file(item, p, &b->files.back());
               })) {
        return false;
    }
    if (!array(body, FieldType::Controller, path + "/embedded", path + "/embedded",
               [&](Span item, size_t, const std::string& p) {
                   if (owner.depth + 1 > kMaxControllerDepth) {
                       return fail(p, "embedded packages nested deeper than " +
                                          std::to_string(kMaxControllerDepth) + " levels");
                   }
                   b->embedded.emplace_back();
                   return controller(item, p, owner.depth + 1, owner.dataUnit,
                                     &b->embedded.back());
               })) {
        return false;
    }
    return array(body, FieldType::If, path + "/conditions", path + "/if",
                 [&](Span item, size_t, const std::string& p) {
                     b->ifs.emplace_back();
                     InstallBlock::If& branch = b->ifs.back();
                     if (!expression(item, p + "/condition", 0, &branch.condition) ||
                         !block(item, p + "/body", owner, nesting + 1, &branch.body)) {
                         return false;
                     }
                     return array(item, FieldType::ElseIf, p + "/else-ifs", p + "/elseif",
                                  [&](Span e, size_t, const std::string& q) {
                                      branch.elseIfs.emplace_back();
                                      auto& other = branch.elseIfs.back();
                                      return expression(e, q + "/condition", 0,
                                                        &other.condition) &&
                                             block(e, q + "/body", owner, nesting + 1,
                                                   &other.body);
                                  });
                 });
}

bool ControllerParser::chain(Span body, const std::string& path, SignatureChain* chain) {
    size_t count = 0;
    if (!array(body, FieldType::Signature, path + "/signatures", path + "/signature",
               [&](Span item, size_t, const std::string& p) {
                   std::string oid;
                   std::vector<uint8_t> value;
                   Span algorithm;
                   if (!field(item, FieldType::SignatureAlgorithm, p + "/algorithm",
                              &algorithm) ||
                       !string(algorithm, p + "/algorithm", &oid) ||
                       !blob(item, p + "/value", &value)) {
                       return false;
                   }
                   if (count++ == 0) {
                       chain->algorithmOid = oid;
                       chain->signature = std::move(value);
                   }
                   return true;
               })) {
        return false;
    }
    if (count == 0) return fail(path + "/signatures", "no signature in the chain");
    chain->signatureCount = count;
    Span certificates;
    return field(body, FieldType::CertificateChain, path + "/certificates", &certificates) &&
           blob(certificates, path + "/certificates", &chain->certificates);
}

bool ControllerParser::controller(Span body, const std::string& path, int depth,
                                  uint64_t parentUnit, Controller* c) {
    c->path = path;
    c->depth = depth;
    const uint64_t start = body.pos;
    c->bodyBegin = body.pos;
    c->bodyEnd = body.end;
    if (!info(body, path + "/info", c)) return false;
    Span options;
    if (!field(body, FieldType::SupportedOptions, path + "/options", &options) ||
        !array(options, FieldType::SupportedOption, path + "/options", path + "/option",
               [&](Span item, size_t, const std::string& p) {
                   c->options.emplace_back();
                   return strings(item, p, &c->options.back());
               })) {
        return false;
    }
    Span languages;
    if (!field(body, FieldType::SupportedLanguages, path + "/languages", &languages) ||
        !array(languages, FieldType::Language, path + "/languages", path + "/language",
               [&](Span item, size_t, const std::string& p) {
                   uint32_t code = 0;
                   if (!u32(item, p, "the code", &code)) return false;
                   c->languages.push_back(code);
                   return true;
               })) {
        return false;
    }
    Span prerequisites;
    if (!field(body, FieldType::Prerequisites, path + "/prerequisites", &prerequisites) ||
        !dependencies(prerequisites, path + "/target devices", path + "/target device",
                      &c->targets) ||
        !dependencies(prerequisites, path + "/dependencies", path + "/dependency",
                      &c->dependencies)) {
        return false;
    }
    Span properties;
    if (!field(body, FieldType::Properties, path + "/properties", &properties) ||
        !array(properties, FieldType::Property, path + "/properties", path + "/property",
               [&](Span item, size_t, const std::string& p) {
                   uint32_t key = 0, value = 0;
                   if (!u32(item, p, "the key", &key) || !u32(item, p, "the value", &value)) {
                       return false;
                   }
                   c->properties.emplace_back(int32_t(key), int32_t(value));
                   return true;
               })) {
        return false;
    }
    if (peek(body) == static_cast<uint32_t>(FieldType::Logo)) {
        Span logo, description;
        c->hasLogo = true;
        if (!field(body, FieldType::Logo, path + "/logo", &logo) ||
            !field(logo, FieldType::FileDescription, path + "/logo", &description) ||
            !file(description, path + "/logo", &c->logo)) {
            return false;
        }
    }
    // The data index comes last, but the install block's embedded controllers need this one's
    // unit first: find it by skipping ahead over the fields between.
    {
        Span ahead = body;
        while (ahead.left() > 0 && peek(ahead) != static_cast<uint32_t>(FieldType::DataIndex)) {
            if (!skipField(ahead, path)) return false;
        }
        Span index;
        if (ahead.left() == 0) return fail(path, "no data index");
        if (!field(ahead, FieldType::DataIndex, path + "/data index", &index) ||
            !u32(index, path + "/data index", "the index", &c->dataIndex)) {
            return false;
        }
        c->dataUnit = parentUnit + c->dataIndex;
    }
    if (!block(body, path + "/install block", *c, 0, &c->install)) return false;
    while (peek(body) == static_cast<uint32_t>(FieldType::SignatureCertificateChain)) {
        const std::string p = at(path + "/chain", c->chains.size());
        SignatureChain chain;
        chain.signedBegin = start;
        chain.signedEnd = body.pos;
        Span item;
        if (!field(body, FieldType::SignatureCertificateChain, p, &item) ||
            !this->chain(item, p, &chain)) {
            return false;
        }
        c->chains.push_back(std::move(chain));
    }
    Span index;
    if (!field(body, FieldType::DataIndex, path + "/data index", &index)) return false;
    c->dataIndexOffset = index.pos;
    while (body.left() > 0) {
        if (!skipField(body, path + "/member after the data index")) return false;
        ++c->unknownMembers;
    }
    return true;
}

// Reads a field header in the source at `pos`, bounded by `end`.
bool headerAt(sis::ByteSource& source, uint64_t pos, uint64_t end, const std::string& path,
              FieldHeader* h, std::string* err) {
    uint8_t bytes[12] = {};
    const size_t n = static_cast<size_t>(std::min<uint64_t>(12, end - pos));
    if (!source.read(pos, bytes, n)) {
        *err = path + ": cannot read the file";
        return false;
    }
    std::string message;
    if (!parseFieldHeader(bytes, end - pos, h, &message)) {
        *err = path + ": " + message;
        return false;
    }
    return true;
}

bool readU32At(sis::ByteSource& source, uint64_t pos, uint32_t* v) {
    uint8_t b[4];
    if (!source.read(pos, b, 4)) return false;
    *v = loadU32(b);
    return true;
}

// The body of a Compressed field at [pos, end): where its bytes lie and what it declares.
bool compressedAt(sis::ByteSource& source, uint64_t pos, uint64_t end, const std::string& path,
                  FileData* out, std::string* err) {
    FieldHeader h;
    if (!headerAt(source, pos, end, path, &h, err)) return false;
    if (h.type != static_cast<uint32_t>(FieldType::Compressed)) {
        *err = path + ": field of type " + std::to_string(h.type) + " where type 3 belongs";
        return false;
    }
    uint8_t b[12];
    if (h.bodyLength < 12 || !source.read(pos + h.headerSize, b, 12)) {
        *err = path + ": cut short before the expanded size";
        return false;
    }
    out->algorithm = loadU32(b);
    out->size = loadU64(b + 4);
    out->offset = pos + h.headerSize + 12;
    out->storedSize = h.bodyLength - 12;
    return true;
}

// An array in the source whose elements are fields without their type word; `each` gets each
// element's body as [begin, end).
template <typename Each>
bool arrayAt(sis::ByteSource& source, uint64_t pos, uint64_t end, FieldType type,
             const std::string& path, const std::string& element, Each each, std::string* err) {
    FieldHeader h;
    if (!headerAt(source, pos, end, path, &h, err)) return false;
    uint32_t elementType = 0;
    if (h.type != static_cast<uint32_t>(FieldType::Array) || h.bodyLength < 4 ||
        !readU32At(source, pos + h.headerSize, &elementType) ||
        elementType != static_cast<uint32_t>(type)) {
        *err = path + ": not an array of type " + std::to_string(static_cast<uint32_t>(type));
        return false;
    }
    uint64_t at = pos + h.headerSize + 4;
    const uint64_t stop = pos + h.headerSize + h.bodyLength;
    for (size_t i = 0; at < stop; ++i) {
        const std::string p = element + " " + std::to_string(i);
        uint8_t bytes[12] = {};
        const size_t n = static_cast<size_t>(std::min<uint64_t>(8, stop - at));
        if (!source.read(at, bytes + 4, n)) {
            *err = p + ": cannot read the file";
            return false;
        }
        FieldHeader e;
        std::string message;
        if (!parseFieldHeader(bytes, stop - at + 4, &e, &message)) {
            *err = p + ": " + (message == "field header cut short" ? "element header cut short"
                                                                   : message);
            return false;
        }
        const uint64_t begin = at + e.headerSize - 4;
        if (!each(begin, begin + e.bodyLength, i, p)) return false;
        at = std::min(stop, begin + padded(e.bodyLength));
    }
    return true;
}

bool appendTo(std::vector<uint8_t>* out, const uint8_t* data, size_t size) {
    out->insert(out->end(), data, data + size);
    return true;
}

bool parseController(Package* p, std::string* err) {
    FieldHeader h;
    std::string message;
    if (!parseFieldHeader(p->controllerBytes.data(), p->controllerBytes.size(), &h, &message)) {
        *err = "controller: " + message;
        return false;
    }
    if (h.type != static_cast<uint32_t>(FieldType::Controller)) {
        *err = "controller: field of type " + std::to_string(h.type) + " where type 13 belongs";
        return false;
    }
    if (padded(h.headerSize + h.bodyLength) < p->controllerBytes.size()) {
        *err = "controller: " + std::to_string(p->controllerBytes.size() - h.headerSize -
                                               h.bodyLength) +
               " bytes after its end";
        return false;
    }
    ControllerParser parser(p->controllerBytes, err);
    return parser.controller({h.headerSize, h.headerSize + h.bodyLength}, "controller", 0, 0,
                             &p->controller);
}

bool readWholeController(sis::ByteSource& source, uint64_t pos, uint64_t length, Package* p,
                         std::string* err) {
    if (length > kMaxControllerBytes) {
        *err = "controller: " + hex(length) + " bytes, more than the reader accepts";
        return false;
    }
    p->controllerBytes.resize(static_cast<size_t>(length));
    if (!source.read(pos, p->controllerBytes.data(), p->controllerBytes.size())) {
        *err = "controller: cannot read the file";
        return false;
    }
    return true;
}

bool readContents(sis::ByteSource& source, Package* p, std::string* err) {
    const uint64_t size = source.size();
    uint8_t head[16];
    if (size < 16 || !source.read(0, head, 16)) {
        *err = "UID header cut short";
        return false;
    }
    p->uid1 = loadU32(head);
    p->uid2 = loadU32(head + 4);
    p->uid3 = loadU32(head + 8);
    p->uid4 = loadU32(head + 12);
    FieldHeader contents;
    if (!headerAt(source, 16, size, "contents", &contents, err)) return false;
    if (contents.type != static_cast<uint32_t>(FieldType::Contents)) {
        *err = "contents: the first field is of type " + std::to_string(contents.type) +
               ", not 12";
        return false;
    }
    uint64_t pos = 16 + contents.headerSize;
    const uint64_t end = pos + contents.bodyLength;
    bool haveController = false, haveData = false;
    while (pos < end) {
        FieldHeader h;
        if (!headerAt(source, pos, end, "contents", &h, err)) return false;
        const uint64_t next = std::min(end, pos + h.headerSize + padded(h.bodyLength));
        const uint64_t body = pos + h.headerSize;
        switch (static_cast<FieldType>(h.type)) {
        case FieldType::ControllerChecksum:
        case FieldType::DataChecksum: {
            const bool controller = h.type == static_cast<uint32_t>(FieldType::ControllerChecksum);
            const char* name = controller ? "contents/controller checksum" : "contents/data checksum";
            uint8_t b[2];
            if (h.bodyLength < 2 || !source.read(body, b, 2)) {
                *err = std::string(name) + ": cut short";
                return false;
            }
            (controller ? p->hasControllerChecksum : p->hasDataChecksum) = true;
            (controller ? p->controllerChecksum : p->dataChecksum) = loadU16(b);
            break;
        }
        case FieldType::Compressed: {
            if (haveController) {
                *err = "contents: a second controller";
                return false;
            }
            haveController = true;
            FileData c;
            if (!compressedAt(source, pos, end, "contents/controller", &c, err)) return false;
            p->controllerFieldOffset = pos;
            p->controllerFieldSize = next - pos;
            p->controllerCompression = c.algorithm;
            if (c.size > kMaxControllerBytes) {
                *err = "contents/controller: declares " + hex(c.size) +
                       " bytes once expanded, more than the reader accepts";
                return false;
            }
            std::string message;
            if (!readFileData(source, c,
                              [p](const uint8_t* d, size_t n, std::string*) {
                                  return appendTo(&p->controllerBytes, d, n);
                              },
                              &message)) {
                *err = "contents/controller: " + message;
                return false;
            }
            break;
        }
        case FieldType::Data: {
            if (haveData) {
                *err = "contents: a second data field";
                return false;
            }
            haveData = true;
            p->dataFieldOffset = pos;
            p->dataFieldSize = next - pos;
            uint64_t files = 0;
            if (!arrayAt(
                    source, body, body + h.bodyLength, FieldType::DataUnit, "data", "data/unit",
                    [&](uint64_t b, uint64_t e, size_t, const std::string& unitPath) {
                        p->units.emplace_back();
                        p->unitRanges.emplace_back(b, e);
                        return arrayAt(
                            source, b, e, FieldType::FileData, unitPath, unitPath + "/file",
                            [&](uint64_t fb, uint64_t fe, size_t, const std::string& filePath) {
                                if (++files > kMaxDataFiles) {
                                    *err = filePath + ": more files than the reader accepts";
                                    return false;
                                }
                                FileData d;
                                if (!compressedAt(source, fb, fe, filePath, &d, err)) return false;
                                p->units.back().push_back(d);
                                return true;
                            },
                            err);
                    },
                    err)) {
                return false;
            }
            break;
        }
        default: ++p->unknownMembers; break;
        }
        pos = next;
    }
    if (!haveController) {
        *err = "contents: no controller";
        return false;
    }
    if (!haveData) {
        *err = "contents: no data field";
        return false;
    }
    return true;
}

}  // namespace

uint64_t FileDescription::capabilityBits() const {
    uint64_t bits = 0;
    for (size_t i = 0; i < capabilities.size() && i < 8; ++i) {
        bits |= uint64_t(capabilities[i]) << (8 * i);
    }
    return bits;
}

bool looksLikeSis9(sis::ByteSource& source) {
    uint8_t head[8] = {};
    if (source.size() < 8 || !source.read(0, head, 8)) return false;
    return loadU32(head) == kUid1 ||
           loadU32(head) == static_cast<uint32_t>(FieldType::Controller) ||
           loadU32(head + 4) == static_cast<uint32_t>(FieldType::Info);
}

bool readPackage(sis::ByteSource& source, Package* p, std::string* err) {
    *p = Package();
    p->fileSize = source.size();
    uint8_t head[8] = {};
    if (p->fileSize < 8 || !source.read(0, head, 8)) {
        *err = "not a Symbian 9 package: " + std::to_string(p->fileSize) + " bytes";
        return false;
    }
    if (loadU32(head) == kUid1) {
        if (!readContents(source, p, err)) return false;
    } else if (loadU32(head) == static_cast<uint32_t>(FieldType::Controller)) {
        p->form = Form::Stub;
        FieldHeader h;
        if (!headerAt(source, 0, p->fileSize, "controller", &h, err) ||
            !readWholeController(source, 0, h.headerSize + h.bodyLength, p, err)) {
            return false;
        }
    } else if (loadU32(head + 4) == static_cast<uint32_t>(FieldType::Info)) {
        p->form = Form::BareController;
        const uint64_t length = loadU32(head);
        if (length > p->fileSize - 4) {
            *err = "controller: length " + hex(length) + " runs past the end of the file";
            return false;
        }
        std::vector<uint8_t> header;
        appendFieldHeader(header, FieldType::Controller, length);
        if (!readWholeController(source, 4, length, p, err)) return false;
        p->controllerBytes.insert(p->controllerBytes.begin(), header.begin(), header.end());
    } else {
        *err = "not a Symbian 9 package (first word " + hex(loadU32(head)) + ")";
        return false;
    }
    return parseController(p, err);
}

const FileData* findFileData(const Package& package, const Controller& controller,
                             const FileDescription& file) {
    if (file.operation == kOpNull) return nullptr;
    if (file.hash.empty() && file.length == 0 && file.uncompressedLength == 0) return nullptr;
    if (controller.dataUnit >= package.units.size()) return nullptr;
    const std::vector<FileData>& unit = package.units[controller.dataUnit];
    return file.fileIndex < unit.size() ? &unit[file.fileIndex] : nullptr;
}

bool readFileData(sis::ByteSource& source, const FileData& data, const DataSink& sink,
                  std::string* err) {
    if (data.algorithm == static_cast<uint32_t>(Compression::Stored)) {
        if (data.storedSize != data.size) {
            *err = "stored " + std::to_string(data.storedSize) + " bytes, declared " +
                   std::to_string(data.size);
            return false;
        }
        return sis::copyStored(source, data.offset, data.storedSize, sink, err);
    }
    if (data.algorithm != static_cast<uint32_t>(Compression::Deflate)) {
        *err = "unknown compression " + std::to_string(data.algorithm);
        return false;
    }
    return sis::inflateStored(source, data.offset, data.storedSize, data.size, "declared length",
                              sink, err);
}

namespace {

void visitBlock(const InstallBlock& b, const std::function<void(const Controller&)>& visit) {
    for (const Controller& c : b.embedded) forEachController(c, visit);
    for (const InstallBlock::If& i : b.ifs) {
        visitBlock(i.body, visit);
        for (const auto& e : i.elseIfs) visitBlock(e.body, visit);
    }
}

std::string both(const std::string& outer, const std::string& inner) {
    if (outer.empty()) return inner;
    if (inner.empty()) return outer;
    return "(" + outer + ") AND (" + inner + ")";
}

// Guards longer than this (a chain of thousands of ELSEIFs) name the earlier branches by
// their number instead of repeating them, so the text of each guard stays small.
constexpr size_t kMaxGuardText = 4096;

void filesOfBlock(
    const InstallBlock& b, const std::string* condition,
    const std::function<void(const FileDescription&, const std::string&)>& visit) {
    static const std::string kNone;
    for (const FileDescription& f : b.files) visit(f, condition ? *condition : kNone);
    for (const InstallBlock::If& i : b.ifs) {
        if (!condition) {
            filesOfBlock(i.body, nullptr, visit);
            for (const auto& e : i.elseIfs) filesOfBlock(e.body, nullptr, visit);
            continue;
        }
        const std::string earlier = formatCondition(i.condition);
        std::string guard = both(*condition, earlier);
        filesOfBlock(i.body, &guard, visit);
        std::string none = "NOT (" + earlier + ")";
        for (size_t k = 0; k < i.elseIfs.size(); ++k) {
            const auto& e = i.elseIfs[k];
            const bool isElse = isElseCondition(e.condition);
            const std::string own = formatCondition(e.condition);
            guard = both(*condition, isElse ? none : none + " AND (" + own + ")");
            filesOfBlock(e.body, &guard, visit);
            none += " AND NOT (" + own + ")";
            if (none.size() > kMaxGuardText) {
                none = "NOT (" + earlier + ") AND NOT (the " + std::to_string(k + 1) +
                       " ELSEIF conditions after it)";
            }
        }
    }
}

}  // namespace

void forEachController(const Controller& top, const std::function<void(const Controller&)>& visit) {
    visit(top);
    visitBlock(top.install, visit);
}

void forEachFile(const Controller& controller,
                 const std::function<void(const FileDescription&, const std::string&)>& visit) {
    const std::string none;
    filesOfBlock(controller.install, &none, visit);
}

void forEachFile(const Controller& controller,
                 const std::function<void(const FileDescription&)>& visit) {
    filesOfBlock(controller.install, nullptr,
                 [&](const FileDescription& f, const std::string&) { visit(f); });
}

}  // namespace tovrin::sis9
