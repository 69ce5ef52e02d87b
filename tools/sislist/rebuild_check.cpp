#include "tools/sislist/rebuild_check.h"

#include <zlib.h>

#include <sstream>

#include "src/compiler/makesis.h"

namespace tovrin::sislist {
namespace {

uint32_t crcOf(uint32_t crc, const uint8_t* data, size_t size) {
    return static_cast<uint32_t>(crc32(crc, data, static_cast<uInt>(size)));
}

// Offset of the first differing byte, or the shorter size when one is a prefix of the other;
// -1 when both are equal.
int64_t firstDifference(sis::ByteSource& original, const std::vector<uint8_t>& rebuilt) {
    const uint64_t size = original.size();
    std::vector<uint8_t> piece(1 << 16);
    for (uint64_t at = 0; at < size && at < rebuilt.size(); at += piece.size()) {
        const size_t n = static_cast<size_t>(
            std::min<uint64_t>(piece.size(), std::min<uint64_t>(size, rebuilt.size()) - at));
        if (!original.read(at, piece.data(), n)) return static_cast<int64_t>(at);
        for (size_t i = 0; i < n; ++i) {
            if (piece[i] != rebuilt[at + i]) return static_cast<int64_t>(at + i);
        }
    }
    if (size != rebuilt.size())
        return static_cast<int64_t>(std::min<uint64_t>(size, rebuilt.size()));
    return -1;
}

bool sameExpression(const sis::Expression& a, const sis::Expression& b) {
    if (a.type != b.type || a.value != b.value || a.text != b.text ||
        a.operands.size() != b.operands.size()) {
        return false;
    }
    for (size_t i = 0; i < a.operands.size(); ++i) {
        if (!sameExpression(a.operands[i], b.operands[i])) return false;
    }
    return true;
}

class Comparison {
public:
    Comparison(sis::ByteSource& aSource, const sis::Package& a, sis::ByteSource& bSource,
               const sis::Package& b, bool sourceNamesMayDiffer)
        : aSrc_(aSource), a_(a), bSrc_(bSource), b_(b), sourcesMayDiffer_(sourceNamesMayDiffer) {}

    void run(RebuildCheck* check) {
        header();
        same(a_.languages == b_.languages, "the languages");
        same(a_.componentNames == b_.componentNames, "the package names");
        same(a_.capabilities == b_.capabilities, "the capabilities");
        requisites();
        records();
        check->contentDifferences = differences_;
        if (deflated_)
            check->byteReasons.push_back("data compressed by another deflate than zlib's level 6");
    }

private:
    void same(bool equal, const std::string& what) {
        if (!equal) differences_.push_back(what);
    }

    void header() {
        const sis::Header& x = a_.header;
        const sis::Header& y = b_.header;
        same(a_.er6 == b_.er6, "the format");
        same(x.uid1 == y.uid1, "UID1");
        same(x.options == y.options, "the header options");
        same(x.type == y.type, "the package type");
        same(x.major == y.major && x.minor == y.minor && x.variant == y.variant, "the version");
        same(x.installerVersion == y.installerVersion, kInstallerVersionDifference);
        same(x.installDrive == y.installDrive, "the installation drive");
        same(x.installLanguage == y.installLanguage && x.installFiles == y.installFiles &&
                 x.installedSpace == y.installedSpace,
             "the installer's fields");
        same(x.maxInstalledSpace == y.maxInstalledSpace, "the maximum installed space");
        same((x.certificatesPtr != 0) == (y.certificatesPtr != 0) &&
                 (x.signaturePtr != 0) == (y.signaturePtr != 0),
             "the signature");
    }

    void requisites() {
        bool equal = a_.requisites.size() == b_.requisites.size();
        for (size_t i = 0; equal && i < a_.requisites.size(); ++i) {
            const sis::Requisite& x = a_.requisites[i];
            const sis::Requisite& y = b_.requisites[i];
            equal = x.uid == y.uid && x.major == y.major && x.minor == y.minor &&
                    x.variant == y.variant && x.names == y.names;
        }
        same(equal, "the requisites");
    }

    void records() {
        if (a_.records.size() != b_.records.size()) {
            differences_.push_back("the number of records");
            return;
        }
        for (size_t i = 0; i < a_.records.size(); ++i) {
            const sis::Record& x = a_.records[i];
            const sis::Record& y = b_.records[i];
            auto what = [i](const std::string& part) { return recordDifference(i, part); };
            if (x.type != y.type) {
                differences_.push_back(what("its kind"));
                continue;
            }
            same(x.fileType == y.fileType && x.details == y.details, what("its file type"));
            same(sourcesMayDiffer_ || x.source == y.source, what("its source name"));
            same(x.destination == y.destination, what("its target"));
            same(x.mime == y.mime, what("its MIME type"));
            same(x.options == y.options && x.selected == y.selected, what("its options"));
            same(sameExpression(x.condition, y.condition), what("its condition"));
            if (x.forks.size() != y.forks.size()) {
                differences_.push_back(what("its number of forks"));
                continue;
            }
            for (size_t k = 0; k < x.forks.size(); ++k) {
                const Digest dx = dataDigest(aSrc_, a_, x.forks[k]);
                const Digest dy = dataDigest(bSrc_, b_, y.forks[k]);
                same(dx == dy,
                     "record " + std::to_string(i) + " fork " + std::to_string(k) + ": its data");
                if (dx == dy && a_.compressed() &&
                    !(storedDigest(aSrc_, x.forks[k]) == storedDigest(bSrc_, y.forks[k]))) {
                    deflated_ = true;
                }
            }
        }
    }

    sis::ByteSource& aSrc_;
    const sis::Package& a_;
    sis::ByteSource& bSrc_;
    const sis::Package& b_;
    bool sourcesMayDiffer_;
    bool deflated_ = false;
    std::vector<std::string> differences_;
};

}  // namespace

const char* const kInstallerVersionDifference = "the installer version";

std::string recordDifference(size_t index, const std::string& part) {
    return "record " + std::to_string(index) + ": " + part;
}

Digest storedDigest(sis::ByteSource& source, const sis::Fork& fork) {
    Digest d;
    std::vector<uint8_t> piece(1 << 16);
    uint32_t crc = crcOf(0, nullptr, 0);
    for (uint64_t done = 0; done < fork.storedLength;) {
        const size_t n =
            static_cast<size_t>(std::min<uint64_t>(piece.size(), fork.storedLength - done));
        if (!source.read(fork.dataPtr + done, piece.data(), n)) return d;
        crc = crcOf(crc, piece.data(), n);
        done += n;
    }
    d.length = fork.storedLength;
    d.crc = crc;
    d.ok = true;
    return d;
}

Digest dataDigest(sis::ByteSource& source, const sis::Package& package, const sis::Fork& fork) {
    Digest d;
    uint32_t crc = crcOf(0, nullptr, 0);
    uint64_t length = 0;
    std::string err;
    d.ok = sis::readForkData(
        source, package, fork,
        [&](const uint8_t* data, size_t size, std::string*) {
            crc = crcOf(crc, data, size);
            length += size;
            return true;
        },
        &err);
    d.crc = crc;
    d.length = length;
    return d;
}

RebuildCheck checkRebuild(sis::ByteSource& original, const sis::Package& package,
                          const std::vector<std::string>& args, const std::filesystem::path& folder,
                          bool sourceNamesMayDiffer) {
    RebuildCheck check;
    std::vector<uint8_t> rebuilt;
    std::ostringstream messages;
    check.built = makesis::buildInMemory(args, folder, &rebuilt, messages) == 0;
    check.compilerOutput = messages.str();
    if (!check.built) return check;
    const int64_t at = firstDifference(original, rebuilt);
    check.identical = at < 0;
    if (check.identical) return check;

    sis::MemorySource source(rebuilt.data(), rebuilt.size());
    sis::Package again;
    std::string err;
    if (!sis::readPackage(source, &again, &err)) {
        check.contentDifferences.push_back("the rebuilt package does not read back: " + err);
        return check;
    }
    Comparison(original, package, source, again, sourceNamesMayDiffer).run(&check);
    check.firstDifference = static_cast<uint64_t>(at);
    return check;
}

}  // namespace tovrin::sislist
