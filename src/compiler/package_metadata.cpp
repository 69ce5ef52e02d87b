#include "src/compiler/package_metadata.h"

#include <algorithm>

#include "src/sis/crc.h"
#include "src/sis/sis_format.h"
#include "src/text/windows1252.h"

namespace tovrin::makesis {
namespace {

using sis::appendU16;
using sis::appendU32;
using sis::RecordType;

constexpr uint64_t kMaxOffset = 0xFFFFFFFFu;

bool isFileRecord(const Record& r) {
    return r.type == RecordType::SimpleFile || r.type == RecordType::MultiLanguageFile;
}

uint64_t expressionSize(const Expression& e) {
    if (e.type == sis::NodeType::String || e.type == sis::NodeType::Attribute ||
        e.type == sis::NodeType::Number) {
        return sis::kLeafNodeSize;
    }
    uint64_t size = sis::kOperatorNodeSize;
    for (const Expression& operand : e.operands) size += expressionSize(operand);
    return size;
}

uint64_t recordSize(const StoredRecord& stored, size_t languages, bool er6) {
    const Record& r = *stored.record;
    switch (r.type) {
    case RecordType::SimpleFile: return sis::file_record::size(1, er6);
    case RecordType::MultiLanguageFile: return sis::file_record::size(languages, er6);
    case RecordType::Options: return sis::options_record::size(r.options.size(), languages);
    case RecordType::If:
    case RecordType::ElseIf:
        return sis::condition_record::kExpression + expressionSize(r.condition);
    default: return sis::condition_record::kBranchRecordSize;
    }
}

// Where a string was placed and how many bytes it takes.
struct Placed {
    uint32_t length = 0;
    uint32_t at = 0;
};

// The string block grows behind the fixed part; every string is placed where it is added.
class StringBlock {
public:
    StringBlock(uint64_t start, bool unicode) : start_(start), unicode_(unicode) {}
    uint64_t next() const { return start_ + bytes_.size(); }
    // Adds a string as UTF-16LE, or as Windows-1252 in an 8-bit package.
    Placed add(const std::u16string& text) {
        const uint64_t at = next();
        for (char16_t c : text) {
            uint8_t byte = 0;
            if (unicode_) {
                appendU16(bytes_, c);
            } else if (windows1252Byte(c, &byte)) {
                bytes_.push_back(byte);
            } else {
                unstorable_ = true;
            }
        }
        return {static_cast<uint32_t>(next() - at), static_cast<uint32_t>(at)};
    }
    // True when an 8-bit string lost a character (the script reader refuses such strings).
    bool unstorable() const { return unstorable_; }
    uint64_t add8(const std::string& text) {
        const uint64_t at = next();
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return at;
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    uint64_t start_;
    bool unicode_;
    bool unstorable_ = false;
    std::vector<uint8_t> bytes_;
};

void appendExpression(const Expression& e, StringBlock& strings, std::vector<uint8_t>& out) {
    appendU32(out, static_cast<uint32_t>(e.type));
    switch (e.type) {
    case sis::NodeType::String: {
        const Placed text = strings.add(e.text);
        appendU32(out, text.length);
        appendU32(out, text.at);
        return;
    }
    case sis::NodeType::Attribute:
    case sis::NodeType::Number:
        appendU32(out, e.value);
        appendU32(out, 0);  // unused
        return;
    default:
        for (const Expression& operand : e.operands) appendExpression(operand, strings, out);
        return;
    }
}

// n lengths, then n pointers, of texts given in script order and stored reversed.
void appendTextList(const std::vector<std::u16string>& scriptOrder, StringBlock& strings,
                    std::vector<uint8_t>& out) {
    std::vector<uint32_t> pointers;
    for (auto it = scriptOrder.rbegin(); it != scriptOrder.rend(); ++it) {
        const Placed text = strings.add(*it);
        appendU32(out, text.length);
        pointers.push_back(text.at);
    }
    for (uint32_t p : pointers) appendU32(out, p);
}

uint16_t installationDrive(const Plan& plan) {
    uint16_t drive = 0;
    for (const StoredRecord& stored : plan.records) {
        if (!isFileRecord(*stored.record) || stored.destination.empty()) continue;
        const uint16_t first = stored.destination[0];
        if (drive == 0)
            drive = first;
        else if (drive != first)
            return sis::kDriveChosenByUser;
    }
    return drive;
}

}  // namespace

uint32_t maxInstalledSpace(const Package& package, const Plan& plan,
                           const std::vector<ForkResult>& results) {
    struct Level {
        uint64_t branch = 0;  // the branch being read
        uint64_t best = 0;    // the largest finished branch
    };
    std::vector<Level> levels(1);
    const size_t count = package.records.size();
    for (size_t i = 0; i < count; ++i) {
        const Record& r = package.records[i];
        const StoredRecord& stored = plan.records[count - 1 - i];
        switch (r.type) {
        case RecordType::If: levels.emplace_back(); break;
        case RecordType::ElseIf:
        case RecordType::Else:
            levels.back().best = std::max(levels.back().best, levels.back().branch);
            levels.back().branch = 0;
            break;
        case RecordType::EndIf: {
            const uint64_t largest = std::max(levels.back().best, levels.back().branch);
            levels.pop_back();
            levels.back().branch += largest;
            break;
        }
        case RecordType::Options: break;
        default:
            if (r.fileType == sis::FileType::File || r.fileType == sis::FileType::Run) {
                for (size_t f : stored.forks) levels.back().branch += results[f].originalLength;
            } else if (r.fileType == sis::FileType::Component) {
                // What the component installs, and its own package file as it is unpacked.
                levels.back().branch += stored.embeddedMaxSpace;
                for (size_t f : stored.forks) levels.back().branch += results[f].originalLength;
            }
            break;
        }
    }
    // A script always closes its IFs; fold any left open all the same.
    while (levels.size() > 1) {
        const uint64_t largest = std::max(levels.back().best, levels.back().branch);
        levels.pop_back();
        levels.back().branch += largest;
    }
    return static_cast<uint32_t>(std::min<uint64_t>(levels.back().branch, kMaxOffset));
}

bool buildMetadata(const Package& package, const Plan& plan, const std::vector<ForkResult>& results,
                   const MetadataOptions& options, std::vector<uint8_t>& bytes, std::string* err) {
    const size_t n = plan.languages.size();
    const bool er6 = plan.er6;
    if (!er6 && !package.capabilities.empty()) {
        *err = "internal error: an ER5 package has no capabilities record";
        return false;
    }
    sis::Header h;
    h.uid1 = package.uid;
    if (!er6) {
        h.uid2 = sis::kUid2Er5;
        h.installerVersion = sis::kInstallerVersionEr5;
    }
    h.uid4 = sis::uidChecksum(h.uid1, h.uid2, h.uid3);
    h.languageCount = static_cast<uint16_t>(n);
    h.fileCount = static_cast<uint16_t>(plan.records.size());
    h.requisiteCount = static_cast<uint16_t>(package.requisites.size());
    h.installFiles = options.stub ? h.fileCount : 0;
    // ER5: the installer alone writes the drive.
    h.installDrive = options.stub ? sis::kDriveStub : er6 ? installationDrive(plan) : 0;
    h.capabilityCount = static_cast<uint16_t>(package.capabilities.size());
    h.options = er6 ? package.options | sis::kOptionUnicode : package.options;
    h.type = package.type;
    h.major = package.major;
    h.minor = package.minor;
    h.variant = package.variant;

    // The fixed part, whose size tells where the strings begin.
    uint64_t offset = sis::headerSize(er6);
    h.languagesPtr = static_cast<uint32_t>(offset);
    offset += sis::kLanguageRecordSize * n;
    h.filesPtr = static_cast<uint32_t>(offset);
    for (const StoredRecord& stored : plan.records) offset += recordSize(stored, n, er6);
    const uint64_t requisitesAt = offset;
    offset += sis::requisite::size(n) * package.requisites.size();
    const uint64_t capabilitiesAt = offset;
    offset += sis::kCapabilityPairSize * package.capabilities.size();
    const uint64_t namesAt = offset;
    offset += sis::component_name::size(n);
    if (offset > kMaxOffset) {
        *err = "the package is too large: its records pass 4 GiB";
        return false;
    }
    h.requisitesPtr = static_cast<uint32_t>(requisitesAt);
    h.capabilitiesPtr = static_cast<uint32_t>(capabilitiesAt);
    h.componentNamePtr = static_cast<uint32_t>(namesAt);

    StringBlock strings(offset, (h.options & sis::kOptionUnicode) != 0);
    std::vector<uint8_t> body;  // everything after the header up to the strings
    for (uint16_t language : plan.languages) appendU16(body, language);

    // File data follows the strings; its start is known only once all strings are placed, so
    // data pointers are collected as offsets from the start of the data and fixed up below.
    struct DataPointer {
        size_t at;          // position in body
        uint64_t relative;  // from the start of the data
    };
    std::vector<DataPointer> dataPointers;
    uint64_t dataLength = 0;

    for (const StoredRecord& stored : plan.records) {
        const Record& r = *stored.record;
        appendU32(body, static_cast<uint32_t>(r.type));
        switch (r.type) {
        case RecordType::SimpleFile:
        case RecordType::MultiLanguageFile: {
            appendU32(body, static_cast<uint32_t>(r.fileType));
            appendU32(body, r.details);
            const Placed source = strings.add(stored.sourceName);
            appendU32(body, source.length);
            appendU32(body, source.at);
            const Placed destination = strings.add(stored.destination);
            appendU32(body, destination.length);
            appendU32(body, destination.at);
            const size_t forks = r.type == RecordType::SimpleFile ? 1 : n;
            // An FN record has no fork: it stores a zero length at the current data offset.
            for (size_t k = 0; k < forks; ++k) {
                appendU32(body, k < stored.forks.size()
                                    ? static_cast<uint32_t>(results[stored.forks[k]].storedLength)
                                    : 0);
            }
            for (size_t k = 0; k < forks; ++k) {
                dataPointers.push_back({body.size(), dataLength});
                appendU32(body, 0);
                if (k < stored.forks.size()) dataLength += results[stored.forks[k]].storedLength;
            }
            if (!er6) break;  // no original lengths, no MIME type
            for (size_t k = 0; k < forks; ++k) {
                appendU32(body, k < stored.forks.size()
                                    ? static_cast<uint32_t>(results[stored.forks[k]].originalLength)
                                    : 0);
            }
            appendU32(body, static_cast<uint32_t>(r.mimeType.size()));
            appendU32(body, static_cast<uint32_t>(strings.add8(r.mimeType)));
            break;
        }
        case RecordType::Options: {
            appendU32(body, static_cast<uint32_t>(r.options.size()));
            for (auto option = r.options.rbegin(); option != r.options.rend(); ++option) {
                appendTextList(*option, strings, body);
            }
            body.insert(body.end(), sis::options_record::kBitmapSize, 0xFF);
            break;
        }
        case RecordType::If:
        case RecordType::ElseIf:
            appendU32(body, static_cast<uint32_t>(expressionSize(r.condition)));
            appendExpression(r.condition, strings, body);
            break;
        default: break;
        }
    }
    for (auto it = package.requisites.rbegin(); it != package.requisites.rend(); ++it) {
        appendU32(body, it->uid);
        appendU16(body, it->major);
        appendU16(body, it->minor);
        appendU32(body, it->variant);
        appendTextList(it->names, strings, body);
    }
    for (auto it = package.capabilities.rbegin(); it != package.capabilities.rend(); ++it) {
        appendU32(body, it->first);
        appendU32(body, it->second);
    }
    appendTextList(package.names, strings, body);

    if (strings.unstorable()) {
        *err = "internal error: a string has a character Windows-1252 lacks";
        return false;
    }
    const uint64_t dataStart = strings.next();
    if (dataStart + dataLength > kMaxOffset) {
        *err = "the package is too large: it would pass 4 GiB";
        return false;
    }
    for (const DataPointer& p : dataPointers) {
        sis::writeU32(body.data() + p.at, static_cast<uint32_t>(dataStart + p.relative));
    }
    for (size_t f = 0; f < results.size(); ++f) {
        if (results[f].originalLength > kMaxOffset) {
            *err = "a file is too large: its data passes 4 GiB";
            return false;
        }
    }
    h.maxInstalledSpace = maxInstalledSpace(package, plan, results);

    bytes.assign(sis::headerSize(er6), 0);
    sis::encodeHeader(h, er6, bytes.data());
    bytes.insert(bytes.end(), body.begin(), body.end());
    bytes.insert(bytes.end(), strings.bytes().begin(), strings.bytes().end());
    return true;
}

}  // namespace tovrin::makesis
