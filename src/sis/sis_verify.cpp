// The checks of a parsed package: UID4, the file checksum, every data fork.
#include <algorithm>
#include <cstdio>

#include "src/sis/crc.h"
#include "src/sis/sis_reader.h"

namespace tovrin::sis {
namespace {

std::string hex(uint32_t v, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%0*X", digits, v);
    return buf;
}

Check compare(const std::string& what, uint32_t stored, uint32_t computed, int digits) {
    Check c;
    c.what = what;
    c.ok = stored == computed;
    c.detail = "stored " + hex(stored, digits) + ", computed " + hex(computed, digits);
    return c;
}

// Continues *crc over the bytes [from, to), read in pieces.
bool crcRange(ByteSource& source, uint64_t from, uint64_t to, Crc16* crc) {
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(64 * 1024, to - from)));
    for (uint64_t pos = from; pos < to;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(buffer.size(), to - pos));
        if (!source.read(pos, buffer.data(), n)) return false;
        crc->update(buffer.data(), n);
        pos += n;
    }
    return true;
}

// The checksum field itself is skipped, not zeroed. REQUIRES: end >= the field's end.
bool fileChecksum(ByteSource& source, uint64_t end, uint16_t* crc) {
    Crc16 sum;
    if (!crcRange(source, 0, header::kChecksum, &sum) ||
        !crcRange(source, header::kChecksum + 2, end, &sum)) {
        return false;
    }
    *crc = sum.value();
    return true;
}

}  // namespace

std::vector<Check> verifyPackage(ByteSource& source, const Package& package) {
    std::vector<Check> checks;
    const Header& h = package.header;
    checks.push_back(compare("UID4", h.uid4, uidChecksum(h.uid1, h.uid2, h.uid3), 8));

    uint16_t crc = 0;
    if (fileChecksum(source, package.checksummedEnd(), &crc)) {
        checks.push_back(compare("checksum", h.checksum, crc, 4));
    } else {
        checks.push_back({"checksum", false, "cannot read the file"});
    }

    for (size_t i = 0; i < package.records.size(); ++i) {
        const Record& r = package.records[i];
        for (size_t k = 0; k < r.forks.size(); ++k) {
            const Fork& f = r.forks[k];
            Check c;
            c.what = "record " + std::to_string(i) + " fork " + std::to_string(k);
            std::string err;
            c.ok = readForkData(source, package, f, DataSink(), &err);
            if (!c.ok) {
                c.detail = err;
            } else if (f.storedLength == 0) {
                c.detail = "no data";
            } else if (package.compressed()) {
                c.detail = "zlib " + std::to_string(f.storedLength) + " -> " +
                           std::to_string(f.originalLength) + " bytes";
            } else {
                c.detail = "raw " + std::to_string(f.storedLength) + " bytes";
            }
            checks.push_back(std::move(c));
        }
    }
    return checks;
}

}  // namespace tovrin::sis
