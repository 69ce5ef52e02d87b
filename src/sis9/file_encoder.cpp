#include "src/sis9/file_encoder.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <ostream>

#include "src/crypto/sha1.h"
#include "src/sis9/field_header.h"
#include "src/sis9/sis9_format.h"

namespace tovrin::sis9 {
namespace {

constexpr size_t kBuffer = 256 * 1024;
constexpr size_t kHeadSize = 0x8C;
constexpr uint32_t kExeUid1 = 0x1000007A;
constexpr uint32_t kDllUid1 = 0x10000079;
constexpr size_t kSignatureOffset = 0x10;
constexpr size_t kCapabilityOffset = 0x88;

std::string shown(const std::filesystem::path& path) { return path.u8string(); }

}  // namespace

bool executableCapabilities(const uint8_t* head, size_t size, uint32_t* capabilities) {
    if (size < kHeadSize) return false;
    const uint32_t uid1 = loadU32(head);
    if (uid1 != kExeUid1 && uid1 != kDllUid1) return false;
    if (std::memcmp(head + kSignatureOffset, "EPOC", 4) != 0) return false;
    *capabilities = loadU32(head + kCapabilityOffset);
    return *capabilities != 0;
}

bool encodeFile(const std::filesystem::path& path, bool compress, std::ostream& scratch,
                EncodedFile& out, std::string* err) {
    out = EncodedFile{};
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *err = "cannot read " + shown(path);
        return false;
    }
    out.scratchOffset = static_cast<uint64_t>(scratch.tellp());
    z_stream z{};
    if (compress && deflateInit(&z, kZlibLevel) != Z_OK) {
        *err = "cannot start the compressor";
        return false;
    }
    std::vector<uint8_t> input(kBuffer), output(kBuffer);
    std::vector<uint8_t> head;
    crypto::Sha1 sha1;
    uint64_t deflatedLength = 0;
    bool ok = true;
    for (bool last = false; ok && !last;) {
        in.read(reinterpret_cast<char*>(input.data()), static_cast<std::streamsize>(kBuffer));
        const size_t got = static_cast<size_t>(in.gcount());
        if (in.bad()) {
            *err = "cannot read " + shown(path);
            ok = false;
            break;
        }
        last = got < kBuffer;
        sha1.update(input.data(), got);
        out.length += got;
        if (head.size() < kHeadSize) {
            head.insert(head.end(), input.begin(),
                        input.begin() + std::min(got, kHeadSize - head.size()));
        }
        if (!compress) continue;
        z.next_in = input.data();
        z.avail_in = static_cast<uInt>(got);
        int status;
        do {
            z.next_out = output.data();
            z.avail_out = static_cast<uInt>(output.size());
            status = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            const size_t made = output.size() - z.avail_out;
            deflatedLength += made;
            scratch.write(reinterpret_cast<const char*>(output.data()),
                          static_cast<std::streamsize>(made));
        } while (z.avail_out == 0 || (last && status != Z_STREAM_END));
        if (!scratch) {
            *err = "cannot write the scratch file for " + shown(path);
            ok = false;
        }
    }
    if (compress) deflateEnd(&z);
    if (!ok) return false;
    const crypto::Sha1Digest digest = sha1.finish();
    out.hash.assign(digest.begin(), digest.end());
    uint32_t capabilities = 0;
    if (executableCapabilities(head.data(), head.size(), &capabilities)) {
        out.hasCapabilities = true;
        out.capabilities = capabilities;
    }
    out.deflated = compress && deflatedLength < out.length;
    out.storedLength = out.deflated ? deflatedLength : out.length;
    if (!out.deflated && compress) scratch.seekp(static_cast<std::streamoff>(out.scratchOffset));
    return true;
}

}  // namespace tovrin::sis9
