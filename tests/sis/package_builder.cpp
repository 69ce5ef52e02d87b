#include "tests/sis/package_builder.h"

#include <zlib.h>

#include <stdexcept>

#include "src/sis/crc.h"

namespace tovrin::test {

using namespace tovrin::sis;

std::string utf16le(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        uint32_t cp = c;
        int extra = 0;
        if (c >= 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else if (c >= 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if (c >= 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        }
        ++i;
        for (int k = 0; k < extra && i < s.size(); ++k, ++i) cp = (cp << 6) | (s[i] & 0x3F);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            appendU16(out, static_cast<uint16_t>(0xD800 + (cp >> 10)));
            appendU16(out, static_cast<uint16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            appendU16(out, static_cast<uint16_t>(cp));
        }
    }
    return out;
}

void PackageBuilder::file(uint32_t fileType, uint32_t details, const std::string& source,
                          const std::string& destination, const std::vector<std::string>& data,
                          bool multiLanguage, const std::string& mime) {
    Item item;
    item.type = multiLanguage ? RecordType::MultiLanguageFile : RecordType::SimpleFile;
    item.fileType = fileType;
    item.details = details;
    item.source = source;
    item.destination = destination;
    item.data = data;
    item.mime = mime;
    items_.push_back(item);
}

void PackageBuilder::optionsList(const std::vector<std::vector<std::string>>& texts) {
    Item item;
    item.type = RecordType::Options;
    item.options = texts;
    items_.push_back(item);
}

void PackageBuilder::condition(RecordType type, const std::vector<Node>& prefixNodes) {
    Item item;
    item.type = type;
    item.nodes = prefixNodes;
    items_.push_back(item);
}

void PackageBuilder::branch(RecordType type) {
    Item item;
    item.type = type;
    items_.push_back(item);
}

void PackageBuilder::requisite(uint32_t uid, uint16_t major, uint16_t minor,
                               const std::vector<std::string>& names) {
    requisites_.push_back({uid, major, minor, names});
}

namespace {

// A string area that hands out offsets, and records whose pointer fields are filled at once
// because every record size is known before the first string is placed.
struct Layout {
    bool unicode;
    uint32_t stringsAt;
    std::string strings;

    std::pair<uint32_t, uint32_t> add(const std::string& s, bool eightBit = false) {
        const std::string bytes = (unicode && !eightBit) ? utf16le(s) : s;
        const uint32_t at = stringsAt + static_cast<uint32_t>(strings.size());
        strings += bytes;
        return {static_cast<uint32_t>(bytes.size()), at};
    }
};

std::string compress(const std::string& data) {
    uLongf size = compressBound(data.size());
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&out[0]), &size,
                  reinterpret_cast<const Bytef*>(data.data()), data.size(), 6) != Z_OK) {
        throw std::runtime_error("compress2 failed");
    }
    out.resize(size);
    return out;
}

void put32(std::string& s, size_t at, uint32_t v) {
    writeU32(reinterpret_cast<uint8_t*>(&s[at]), v);
}

}  // namespace

std::string PackageBuilder::build() const {
    const size_t n = languages.size();
    const bool compressed = er6 && !(options & kOptionNoCompress);
    size_t recordsSize = 0;
    for (const Item& it : items_) {
        switch (it.type) {
        case RecordType::SimpleFile:
        case RecordType::MultiLanguageFile:
            recordsSize += file_record::size(it.data.size(), er6);
            break;
        case RecordType::Options: recordsSize += options_record::size(it.options.size(), n); break;
        case RecordType::If:
        case RecordType::ElseIf:
            recordsSize += condition_record::kExpression;
            for (const Node& node : it.nodes) {
                recordsSize += node.type >= NodeType::String ? kLeafNodeSize : kOperatorNodeSize;
            }
            break;
        default: recordsSize += condition_record::kBranchRecordSize;
        }
    }
    Header h;
    h.uid1 = uid1;
    h.uid2 = er6 ? kUid2Er6 : kUid2Er5;
    h.uid4 = uidChecksum(h.uid1, h.uid2, h.uid3);
    h.languageCount = static_cast<uint16_t>(n);
    h.fileCount = static_cast<uint16_t>(items_.size());
    h.requisiteCount = static_cast<uint16_t>(requisites_.size());
    h.installDrive = er6 ? kDriveChosenByUser : 0;
    h.capabilityCount = static_cast<uint16_t>(capabilities.size());
    h.installerVersion = er6 ? kInstallerVersionEr6 : kInstallerVersionEr5;
    h.options = options;
    h.type = type;
    h.major = 1;
    h.languagesPtr = static_cast<uint32_t>(headerSize(er6));
    h.filesPtr = h.languagesPtr + static_cast<uint32_t>(2 * n);
    h.requisitesPtr = h.filesPtr + static_cast<uint32_t>(recordsSize);
    h.capabilitiesPtr =
        h.requisitesPtr + static_cast<uint32_t>(requisite::size(n) * requisites_.size());
    h.componentNamePtr =
        h.capabilitiesPtr + static_cast<uint32_t>(kCapabilityPairSize * capabilities.size());
    if (!er6)
        h.componentNamePtr =
            h.requisitesPtr + static_cast<uint32_t>(requisite::size(n) * requisites_.size());

    Layout strings{(options & kOptionUnicode) != 0,
                   h.componentNamePtr + static_cast<uint32_t>(component_name::size(n)), ""};
    std::string records;
    std::vector<std::pair<size_t, size_t>> dataFixups;  // (offset in records of data ptr, item)
    std::vector<std::string> blobs;
    for (const Item& it : items_) {
        const size_t at = records.size();
        appendU32(records, static_cast<uint32_t>(it.type));
        if (it.type == RecordType::SimpleFile || it.type == RecordType::MultiLanguageFile) {
            const size_t f = it.data.size();
            records.resize(at + file_record::size(f, er6), '\0');
            put32(records, at + file_record::kFileType, it.fileType);
            put32(records, at + file_record::kDetails, it.details);
            auto src = strings.add(it.source);
            auto dst = strings.add(it.destination);
            put32(records, at + file_record::kSourceLength, src.first);
            put32(records, at + file_record::kSourcePtr, src.second);
            put32(records, at + file_record::kDestinationLength, dst.first);
            put32(records, at + file_record::kDestinationPtr, dst.second);
            if (er6) {
                auto mime = strings.add(it.mime, true);
                put32(records, at + file_record::mimeLength(f), mime.first);
                put32(records, at + file_record::mimePtr(f), mime.second);
            }
            for (size_t k = 0; k < f; ++k) {
                const std::string stored = compressed ? compress(it.data[k]) : it.data[k];
                put32(records, at + file_record::storedLengths(f) + 4 * k,
                      static_cast<uint32_t>(stored.size()));
                if (er6) {
                    put32(records, at + file_record::originalLengths(f) + 4 * k,
                          static_cast<uint32_t>(it.data[k].size()));
                }
                dataFixups.push_back({at + file_record::dataPtrs(f) + 4 * k, blobs.size()});
                blobs.push_back(stored);
            }
        } else if (it.type == RecordType::Options) {
            appendU32(records, static_cast<uint32_t>(it.options.size()));
            for (const auto& texts : it.options) {
                std::vector<std::pair<uint32_t, uint32_t>> refs;
                for (const std::string& t : texts) refs.push_back(strings.add(t));
                for (const auto& r : refs) appendU32(records, r.first);
                for (const auto& r : refs) appendU32(records, r.second);
            }
            records.append(options_record::kBitmapSize, '\xFF');
        } else if (it.type == RecordType::If || it.type == RecordType::ElseIf) {
            std::string expr;
            for (const Node& node : it.nodes) {
                appendU32(expr, static_cast<uint32_t>(node.type));
                if (node.type == NodeType::String) {
                    auto ref = strings.add(node.text);
                    appendU32(expr, ref.first);
                    appendU32(expr, ref.second);
                } else if (node.type >= NodeType::Attribute) {
                    appendU32(expr, node.value);
                    appendU32(expr, 0);
                }
            }
            appendU32(records, static_cast<uint32_t>(expr.size()));
            records += expr;
        }
    }
    std::string requisiteBytes;
    for (const Req& r : requisites_) {
        appendU32(requisiteBytes, r.uid);
        appendU16(requisiteBytes, r.major);
        appendU16(requisiteBytes, r.minor);
        appendU32(requisiteBytes, 0);
        std::vector<std::pair<uint32_t, uint32_t>> refs;
        for (const std::string& name : r.names) refs.push_back(strings.add(name));
        for (const auto& ref : refs) appendU32(requisiteBytes, ref.first);
        for (const auto& ref : refs) appendU32(requisiteBytes, ref.second);
    }
    std::string nameBytes;
    {
        std::vector<std::pair<uint32_t, uint32_t>> refs;
        for (const std::string& name : names) refs.push_back(strings.add(name));
        for (const auto& ref : refs) appendU32(nameBytes, ref.first);
        for (const auto& ref : refs) appendU32(nameBytes, ref.second);
    }
    uint32_t dataAt = strings.stringsAt + static_cast<uint32_t>(strings.strings.size());
    std::string data;
    for (const auto& fix : dataFixups) {
        put32(records, fix.first, dataAt + static_cast<uint32_t>(data.size()));
        data += blobs[fix.second];
    }
    std::string capabilityBytes;
    for (const auto& c : capabilities) {
        appendU32(capabilityBytes, c.first);
        appendU32(capabilityBytes, c.second);
    }

    std::string out(headerSize(er6), '\0');
    for (uint16_t l : languages) appendU16(out, l);
    out += records + requisiteBytes + (er6 ? capabilityBytes : "") + nameBytes + strings.strings +
           data;
    if (!signature.empty()) {
        h.signaturePtr = static_cast<uint32_t>(out.size());
        out += signature;
    }
    encodeHeader(h, er6, reinterpret_cast<uint8_t*>(&out[0]));
    const size_t checked = signature.empty() ? out.size() : h.signaturePtr;
    writeU16(reinterpret_cast<uint8_t*>(&out[header::kChecksum]),
             packageChecksum(out.data(), checked));
    return out;
}

}  // namespace tovrin::test
