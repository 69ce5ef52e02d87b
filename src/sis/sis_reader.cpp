#include "src/sis/sis_reader.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "src/sis/sis_text.h"

namespace tovrin::sis {
namespace {

std::string hex(uint64_t v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%08llX", static_cast<unsigned long long>(v));
    return buf;
}

class Parser {
public:
    Parser(ByteSource& source, Package& package, std::string* err)
        : src_(source), pkg_(package), err_(err) {}

    bool run() {
        return parseHeader() && parseLanguages() && parseRecords() && checkNesting() &&
               checkDataOverlap() && parseRequisites() && parseCapabilities() &&
               parseComponentNames();
    }

private:
    bool fail(const std::string& message) {
        *err_ = message;
        return false;
    }

    bool inFile(uint64_t offset, uint64_t size) const {
        return offset <= pkg_.fileSize && size <= pkg_.fileSize - offset;
    }

    // Reads `size` bytes at `offset`, checking the range before allocating anything.
    bool readBlock(uint64_t offset, uint64_t size, std::vector<uint8_t>* out,
                   const std::string& what) {
        if (!inFile(offset, size)) {
            return fail(what + " (" + std::to_string(size) + " bytes at " + hex(offset) +
                        ") runs past the end of the file (" + std::to_string(pkg_.fileSize) +
                        " bytes)");
        }
        out->resize(static_cast<size_t>(size));
        if (size > 0 && !src_.read(offset, out->data(), out->size())) {
            return fail(what + ": cannot read " + std::to_string(size) + " bytes at " +
                        hex(offset));
        }
        return true;
    }

    bool readString(uint32_t length, uint32_t ptr, bool unicode, std::string* out,
                    const std::string& what) {
        out->clear();
        if (length == 0) return true;
        if (length > kMaxStringBytes) {
            return fail(what + ": string of " + std::to_string(length) + " bytes is too long");
        }
        if (unicode && length % 2 != 0) {
            return fail(what + ": UTF-16 string has an odd length (" + std::to_string(length) +
                        ")");
        }
        stringBytes_ += length;
        if (stringBytes_ > kMaxTotalStringBytes) {
            return fail(what + ": the package's strings exceed " +
                        std::to_string(kMaxTotalStringBytes) + " bytes");
        }
        std::vector<uint8_t> bytes;
        if (!readBlock(ptr, length, &bytes, what)) return false;
        *out = unicode ? utf16leToUtf8(bytes.data(), bytes.size())
                       : cp1252ToUtf8(bytes.data(), bytes.size());
        return true;
    }

    // n lengths then n pointers at `p`, one string per language.
    bool readStringList(const uint8_t* p, size_t n, std::vector<std::string>* out,
                        const std::string& what) {
        out->assign(n, std::string());
        for (size_t i = 0; i < n; ++i) {
            const std::string item = n == 1 ? what : what + " " + std::to_string(i);
            if (!readString(readU32(p + 4 * i), readU32(p + 4 * (n + i)), pkg_.unicode, &(*out)[i],
                            item)) {
                return false;
            }
        }
        return true;
    }

    bool parseHeader() {
        const uint64_t size = pkg_.fileSize;
        if (size < header::kSizeEr5) {
            return fail("file too short for a package header (" + std::to_string(size) + " bytes)");
        }
        std::vector<uint8_t> bytes;
        if (!readBlock(0, header::kSizeEr5, &bytes, "header")) return false;
        const uint32_t uid2 = readU32(bytes.data() + header::kUid2);
        const uint32_t uid3 = readU32(bytes.data() + header::kUid3);
        if (uid3 != kUid3Install) {
            return fail("not an installation package (UID3 " + hex(uid3) + ", expected " +
                        hex(kUid3Install) + ")");
        }
        if (uid2 != kUid2Er6 && uid2 != kUid2Er5) {
            return fail("unknown format release (UID2 " + hex(uid2) + ")");
        }
        pkg_.er6 = isEr6(uid2);
        if (pkg_.er6 && !readBlock(0, header::kSizeEr6, &bytes, "ER6 header")) return false;
        pkg_.header = decodeHeader(bytes.data(), pkg_.er6);
        pkg_.unicode = (pkg_.header.options & kOptionUnicode) != 0;

        const uint32_t sig = pkg_.header.signaturePtr;
        if (sig != 0 && (sig < header::kSizeEr6 || sig > size)) {
            return fail("signature pointer " + hex(sig) + " lies outside the file");
        }
        if (pkg_.header.certificatesPtr > size) {
            return fail("certificates pointer " + hex(pkg_.header.certificatesPtr) +
                        " lies outside the file");
        }
        return true;
    }

    bool parseLanguages() {
        const size_t n = pkg_.header.languageCount;
        std::vector<uint8_t> bytes;
        if (!readBlock(pkg_.header.languagesPtr, kLanguageRecordSize * n, &bytes,
                       "language records")) {
            return false;
        }
        pkg_.languages.resize(n);
        for (size_t i = 0; i < n; ++i) pkg_.languages[i] = readU16(bytes.data() + 2 * i);
        return true;
    }

    bool parseRecords() {
        uint64_t offset = pkg_.header.filesPtr;
        // Every record takes at least 4 bytes of the file.
        pkg_.records.reserve(std::min<uint64_t>(pkg_.header.fileCount, pkg_.fileSize / 4));
        for (size_t i = 0; i < pkg_.header.fileCount; ++i) {
            const std::string what = "record " + std::to_string(i) + " at " + hex(offset);
            std::vector<uint8_t> typeBytes;
            if (!readBlock(offset, 4, &typeBytes, what)) return false;
            Record record;
            record.offset = static_cast<uint32_t>(offset);
            const uint32_t type = readU32(typeBytes.data());
            uint64_t size = 0;
            bool ok = false;
            switch (type) {
            case static_cast<uint32_t>(RecordType::SimpleFile):
            case static_cast<uint32_t>(RecordType::MultiLanguageFile):
                ok = parseFileRecord(offset, type, what, &record, &size);
                break;
            case static_cast<uint32_t>(RecordType::Options):
                ok = parseOptionsRecord(offset, what, &record, &size);
                break;
            case static_cast<uint32_t>(RecordType::If):
            case static_cast<uint32_t>(RecordType::ElseIf):
                ok = parseConditionRecord(offset, what, &record, &size);
                break;
            case static_cast<uint32_t>(RecordType::Else):
            case static_cast<uint32_t>(RecordType::EndIf):
                size = condition_record::kBranchRecordSize;
                ok = true;
                break;
            default: return fail(what + ": unknown record type " + std::to_string(type));
            }
            if (!ok) return false;
            record.type = static_cast<RecordType>(type);
            pkg_.records.push_back(std::move(record));
            offset += size;
        }
        return true;
    }

    bool parseFileRecord(uint64_t offset, uint32_t type, const std::string& what, Record* r,
                         uint64_t* size) {
        const size_t n =
            type == static_cast<uint32_t>(RecordType::SimpleFile) ? 1 : pkg_.header.languageCount;
        *size = file_record::size(n, pkg_.er6);
        std::vector<uint8_t> b;
        if (!readBlock(offset, *size, &b, what)) return false;
        const uint8_t* p = b.data();
        r->fileType = readU32(p + file_record::kFileType);
        r->details = readU32(p + file_record::kDetails);
        if (!readString(readU32(p + file_record::kSourceLength),
                        readU32(p + file_record::kSourcePtr), pkg_.unicode, &r->source,
                        what + ": source name") ||
            !readString(readU32(p + file_record::kDestinationLength),
                        readU32(p + file_record::kDestinationPtr), pkg_.unicode, &r->destination,
                        what + ": destination name")) {
            return false;
        }
        if (pkg_.er6 && !readString(readU32(p + file_record::mimeLength(n)),
                                    readU32(p + file_record::mimePtr(n)), false, &r->mime,
                                    what + ": MIME type")) {
            return false;
        }
        r->forks.resize(n);
        for (size_t k = 0; k < n; ++k) {
            Fork& f = r->forks[k];
            f.storedLength = readU32(p + file_record::storedLengths(n) + 4 * k);
            f.dataPtr = readU32(p + file_record::dataPtrs(n) + 4 * k);
            f.originalLength =
                pkg_.er6 ? readU32(p + file_record::originalLengths(n) + 4 * k) : f.storedLength;
            if (f.storedLength > 0 && (f.dataPtr > pkg_.checksummedEnd() ||
                                       f.storedLength > pkg_.checksummedEnd() - f.dataPtr)) {
                return fail(what + ": data of fork " + std::to_string(k) + " (" +
                            std::to_string(f.storedLength) + " bytes at " + hex(f.dataPtr) +
                            ") runs past the end of the file (" + std::to_string(pkg_.fileSize) +
                            " bytes)");
            }
        }
        return true;
    }

    bool parseOptionsRecord(uint64_t offset, const std::string& what, Record* r, uint64_t* size) {
        std::vector<uint8_t> b;
        if (!readBlock(offset, options_record::kOptionTexts, &b, what)) return false;
        const uint32_t m = readU32(b.data() + options_record::kOptionCount);
        if (m > options_record::kMaxOptions) {
            return fail(what + ": " + std::to_string(m) + " options (at most " +
                        std::to_string(options_record::kMaxOptions) + ")");
        }
        const size_t n = pkg_.header.languageCount;
        *size = options_record::size(m, n);
        if (!readBlock(offset, *size, &b, what)) return false;
        r->options.resize(m);
        for (size_t k = 0; k < m; ++k) {
            if (!readStringList(b.data() + options_record::kOptionTexts + 8 * n * k, n,
                                &r->options[k], what + ": option " + std::to_string(k + 1))) {
                return false;
            }
        }
        const uint8_t* bitmap = b.data() + options_record::bitmap(m, n);
        std::copy(bitmap, bitmap + options_record::kBitmapSize, r->selected.begin());
        return true;
    }

    bool parseConditionRecord(uint64_t offset, const std::string& what, Record* r, uint64_t* size) {
        std::vector<uint8_t> b;
        if (!readBlock(offset, condition_record::kExpression, &b, what)) return false;
        const uint32_t exprSize = readU32(b.data() + condition_record::kExpressionSize);
        if (exprSize > kMaxStringBytes) {
            return fail(what + ": condition of " + std::to_string(exprSize) + " bytes is too long");
        }
        *size = condition_record::kExpression + uint64_t{exprSize};
        if (!readBlock(offset + condition_record::kExpression, exprSize, &b,
                       what + ": condition")) {
            return false;
        }
        size_t pos = 0;
        if (!parseExpression(b, &pos, 0, &r->condition, what)) return false;
        if (pos != b.size()) {
            return fail(what + ": condition has " + std::to_string(b.size() - pos) +
                        " bytes after its expression");
        }
        return true;
    }

    bool parseExpression(const std::vector<uint8_t>& b, size_t* pos, int depth, Expression* e,
                         const std::string& what) {
        if (depth > kMaxExpressionDepth) {
            return fail(what + ": condition nested deeper than " +
                        std::to_string(kMaxExpressionDepth) + " levels");
        }
        if (b.size() - *pos < kOperatorNodeSize) {
            return fail(what + ": condition ends inside a node");
        }
        const uint32_t type = readU32(b.data() + *pos);
        *pos += kOperatorNodeSize;
        int operands = 0;
        switch (type) {
        case static_cast<uint32_t>(NodeType::Exists):
        case static_cast<uint32_t>(NodeType::DevCap):
        case static_cast<uint32_t>(NodeType::Not): operands = 1; break;
        case static_cast<uint32_t>(NodeType::String):
        case static_cast<uint32_t>(NodeType::Attribute):
        case static_cast<uint32_t>(NodeType::Number): {
            if (b.size() - *pos < kLeafNodeSize - kOperatorNodeSize) {
                return fail(what + ": condition ends inside a node");
            }
            const uint32_t first = readU32(b.data() + *pos);
            const uint32_t second = readU32(b.data() + *pos + 4);
            *pos += kLeafNodeSize - kOperatorNodeSize;
            e->type = static_cast<NodeType>(type);
            if (type != static_cast<uint32_t>(NodeType::String)) {
                e->value = first;
                e->unused = second;
                return true;
            }
            return readString(first, second, pkg_.unicode, &e->text, what + ": condition string");
        }
        default:
            if (type > static_cast<uint32_t>(NodeType::AppCap)) {
                return fail(what + ": unknown condition node type " + std::to_string(type));
            }
            operands = 2;  // comparisons, AND, OR, APPCAP
        }
        e->type = static_cast<NodeType>(type);
        e->operands.resize(operands);
        for (Expression& operand : e->operands) {
            if (!parseExpression(b, pos, depth + 1, &operand, what)) return false;
        }
        return true;
    }

    // Installers walk the records from last to first, so blocks open at the highest offset.
    bool checkNesting() {
        struct Open {
            size_t index;
            bool sawElse;
        };
        std::vector<Open> open;
        for (size_t i = pkg_.records.size(); i-- > 0;) {
            const std::string what = "record " + std::to_string(i);
            switch (pkg_.records[i].type) {
            case RecordType::If: open.push_back({i, false}); break;
            case RecordType::ElseIf:
            case RecordType::Else: {
                const bool isElse = pkg_.records[i].type == RecordType::Else;
                const char* name = isElse ? "ELSE" : "ELSEIF";
                if (open.empty()) return fail(what + ": " + name + " outside an IF block");
                if (open.back().sawElse) return fail(what + ": " + name + " after ELSE");
                open.back().sawElse = isElse;
                break;
            }
            case RecordType::EndIf:
                if (open.empty()) return fail(what + ": ENDIF without IF");
                open.pop_back();
                break;
            default: break;
            }
        }
        if (!open.empty()) {
            return fail("record " + std::to_string(open.back().index) + ": IF without ENDIF");
        }
        return true;
    }

    // Every fork owns its bytes. Data shared between forks would let a small file make the
    // verifier inflate the same stream again and again; no compiler writes it.
    bool checkDataOverlap() {
        struct Span {
            uint64_t from, to;
            size_t record, fork;
        };
        std::vector<Span> spans;
        for (size_t i = 0; i < pkg_.records.size(); ++i) {
            const std::vector<Fork>& forks = pkg_.records[i].forks;
            for (size_t k = 0; k < forks.size(); ++k) {
                if (forks[k].storedLength == 0) continue;
                const uint64_t from = forks[k].dataPtr;
                spans.push_back({from, from + forks[k].storedLength, i, k});
            }
        }
        std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) {
            return std::tie(a.from, a.to, a.record, a.fork) <
                   std::tie(b.from, b.to, b.record, b.fork);
        });
        for (size_t j = 1; j < spans.size(); ++j) {
            const Span& earlier = spans[j - 1];
            const Span& later = spans[j];
            if (later.from < earlier.to) {
                return fail("record " + std::to_string(later.record) + " fork " +
                            std::to_string(later.fork) + ": data overlaps the data of record " +
                            std::to_string(earlier.record) + " fork " +
                            std::to_string(earlier.fork));
            }
        }
        return true;
    }

    bool parseRequisites() {
        const size_t n = pkg_.header.languageCount;
        const uint64_t recordSize = requisite::size(n);
        std::vector<uint8_t> b;
        if (!readBlock(pkg_.header.requisitesPtr, recordSize * pkg_.header.requisiteCount, &b,
                       "requisite records")) {
            return false;
        }
        pkg_.requisites.resize(pkg_.header.requisiteCount);
        for (size_t i = 0; i < pkg_.requisites.size(); ++i) {
            const uint8_t* p = b.data() + recordSize * i;
            Requisite& q = pkg_.requisites[i];
            q.uid = readU32(p + requisite::kUid);
            q.major = readU16(p + requisite::kMajor);
            q.minor = readU16(p + requisite::kMinor);
            q.variant = readU32(p + requisite::kVariant);
            if (!readStringList(p + requisite::kNameLengths, n, &q.names,
                                "requisite " + std::to_string(i) + ": name")) {
                return false;
            }
        }
        return true;
    }

    bool parseCapabilities() {
        if (!pkg_.er6) return true;  // ER5 has neither the pointer nor the record
        std::vector<uint8_t> b;
        if (!readBlock(pkg_.header.capabilitiesPtr,
                       uint64_t{kCapabilityPairSize} * pkg_.header.capabilityCount, &b,
                       "capabilities record")) {
            return false;
        }
        pkg_.capabilities.resize(pkg_.header.capabilityCount);
        for (size_t i = 0; i < pkg_.capabilities.size(); ++i) {
            pkg_.capabilities[i] = {readU32(b.data() + 8 * i), readU32(b.data() + 8 * i + 4)};
        }
        return true;
    }

    bool parseComponentNames() {
        const size_t n = pkg_.header.languageCount;
        std::vector<uint8_t> b;
        if (!readBlock(pkg_.header.componentNamePtr, component_name::size(n), &b,
                       "component-name record")) {
            return false;
        }
        return readStringList(b.data(), n, &pkg_.componentNames, "component name");
    }

    ByteSource& src_;
    Package& pkg_;
    std::string* err_;
    uint64_t stringBytes_ = 0;
};

}  // namespace

uint64_t Package::checksummedEnd() const {
    return (er6 && header.signaturePtr != 0) ? header.signaturePtr : fileSize;
}

bool readPackage(ByteSource& source, Package* package, std::string* err) {
    *package = Package();
    package->fileSize = source.size();
    Parser parser(source, *package, err);
    return parser.run();
}

}  // namespace tovrin::sis
