// Verifies a Symbian 9 package holding 500 MB of file data (written first, in the folder given)
// with the reader, and runs a plain loop over the same package that reads its data field once,
// CRC-16-sums it, inflates each file and SHA-1-hashes what comes out, with the same libraries.
// Prints both times (best of three, warm cache), their ratio and the peak memory of each (each
// run is a child process of its own, so the writer's memory does not count).
// Usage: verify9_bench <empty folder>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "src/crypto/sha1.h"
#include "src/sis/byte_source.h"
#include "src/sis/crc.h"
#include "src/sis9/field_header.h"
#include "src/sis9/sis9_reader.h"
#include "src/sis9/sis9_verify.h"

namespace {

using tovrin::sis9::FieldType;
using Bytes = std::vector<uint8_t>;

constexpr int kFiles = 50;
constexpr uint64_t kFileSize = 10000000;  // 50 x 10 MB = 500 MB of file data
constexpr size_t kChunk = 1 << 20;
constexpr int kRounds = 3;

// Text-like bytes that deflate to about a third: words of a small vocabulary, picked by an LCG.
void generate(int file, const std::function<void(const uint8_t*, size_t)>& out) {
    static const char* const kWords[] = {"phone ", "package ", "install ", "symbian ", "data ",
                                         "file ", "signed ", "chain ", "\n", "0x1F2E3D4C "};
    uint32_t state = 0x9E3779B9u * uint32_t(file + 1);
    std::string buffer;
    uint64_t done = 0;
    while (done < kFileSize) {
        buffer.clear();
        while (buffer.size() < kChunk) {
            state = state * 1664525u + 1013904223u;
            buffer += kWords[(state >> 24) % 10];
            buffer += char('a' + (state >> 8) % 26);
        }
        const size_t n = size_t(std::min<uint64_t>(buffer.size(), kFileSize - done));
        out(reinterpret_cast<const uint8_t*>(buffer.data()), n);
        done += n;
    }
}

// Deflates file `file` (zlib, level 6), giving the compressed bytes to `out` in pieces.
void deflateFile(int file, const std::function<void(const uint8_t*, size_t)>& out) {
    z_stream z{};
    deflateInit(&z, tovrin::sis9::kZlibLevel);
    std::vector<uint8_t> buffer(kChunk);
    auto pump = [&](int flush) {
        do {
            z.next_out = buffer.data();
            z.avail_out = uInt(buffer.size());
            deflate(&z, flush);
            out(buffer.data(), buffer.size() - z.avail_out);
        } while (z.avail_out == 0);
    };
    generate(file, [&](const uint8_t* d, size_t n) {
        z.next_in = const_cast<uint8_t*>(d);
        z.avail_in = uInt(n);
        pump(Z_NO_FLUSH);
    });
    pump(Z_FINISH);
    deflateEnd(&z);
}

Bytes string16(const std::string& s) {
    Bytes b;
    for (char c : s) {
        b.push_back(uint8_t(c));
        b.push_back(0);
    }
    return b;
}

Bytes arrayOf(FieldType type, const std::vector<Bytes>& elements) {
    using namespace tovrin::sis9;
    Bytes body;
    appendU32(body, static_cast<uint32_t>(type));
    for (const Bytes& e : elements) {
        appendU32(body, uint32_t(e.size()));
        body.insert(body.end(), e.begin(), e.end());
        appendPadding(body);
    }
    Bytes out;
    appendField(out, FieldType::Array, body);
    return out;
}

Bytes field(FieldType type, const Bytes& body) {
    Bytes out;
    tovrin::sis9::appendField(out, type, body);
    return out;
}

void append(Bytes& a, const Bytes& b) { a.insert(a.end(), b.begin(), b.end()); }

bool writePackage(const std::string& path) {
    using namespace tovrin::sis9;
    std::vector<uint64_t> stored(kFiles);
    std::vector<tovrin::crypto::Sha1Digest> digests(kFiles);
    std::vector<Bytes> files;
    for (int i = 0; i < kFiles; ++i) {
        tovrin::crypto::Sha1 sha;
        generate(i, [&](const uint8_t* d, size_t n) { sha.update(d, n); });
        digests[i] = sha.finish();
        deflateFile(i, [&](const uint8_t*, size_t n) { stored[i] += n; });
        Bytes f = field(FieldType::String, string16("!:\\data\\file" + std::to_string(i) + ".txt"));
        append(f, field(FieldType::String, {}));
        Bytes hash;
        appendU32(hash, kHashSha1);
        append(hash, field(FieldType::Blob, Bytes(digests[i].begin(), digests[i].end())));
        append(f, field(FieldType::Hash, hash));
        appendU32(f, kOpInstall);
        appendU32(f, 0);
        appendU64(f, stored[i]);
        appendU64(f, kFileSize);
        appendU32(f, uint32_t(i));
        files.push_back(f);
    }
    Bytes info;
    appendU32(info, 0xE0000001);
    info = field(FieldType::Uid, info);
    append(info, field(FieldType::String, string16("Bench")));
    append(info, arrayOf(FieldType::String, {string16("Bench")}));
    append(info, arrayOf(FieldType::String, {string16("Bench")}));
    append(info, field(FieldType::Version, Bytes(12, 0)));
    Bytes when = field(FieldType::Date, {0xE8, 0x07, 5, 1});
    append(when, field(FieldType::Time, {12, 0, 0}));
    append(info, field(FieldType::DateTime, when));
    info.push_back(0);
    info.push_back(0);
    Bytes controller = field(FieldType::Info, info);
    append(controller, field(FieldType::SupportedOptions, arrayOf(FieldType::SupportedOption, {})));
    Bytes english;
    appendU32(english, 1);
    append(controller, field(FieldType::SupportedLanguages, arrayOf(FieldType::Language, {english})));
    Bytes prerequisites = arrayOf(FieldType::Dependency, {});
    append(prerequisites, arrayOf(FieldType::Dependency, {}));
    append(controller, field(FieldType::Prerequisites, prerequisites));
    append(controller, field(FieldType::Properties, arrayOf(FieldType::Property, {})));
    Bytes block = arrayOf(FieldType::FileDescription, files);
    append(block, arrayOf(FieldType::Controller, {}));
    append(block, arrayOf(FieldType::If, {}));
    append(controller, field(FieldType::InstallBlock, block));
    append(controller, field(FieldType::DataIndex, {0, 0, 0, 0}));
    controller = field(FieldType::Controller, controller);
    Bytes compressed;
    appendU32(compressed, 0);
    appendU64(compressed, controller.size());
    append(compressed, controller);
    compressed = field(FieldType::Compressed, compressed);

    // The data field's length, from the stored sizes.
    uint64_t units = 4;  // the file data array: element type, then the elements
    for (int i = 0; i < kFiles; ++i) units += 4 + 8 + 12 + padded(stored[i]);
    Bytes dataHead;
    const uint64_t unitBody = 8 + units;  // a data unit: one array field
    const uint64_t dataBody = 8 + 4 + 4 + unitBody;
    appendFieldHeader(dataHead, FieldType::Data, dataBody);
    appendFieldHeader(dataHead, FieldType::Array, 4 + 4 + unitBody);
    appendU32(dataHead, static_cast<uint32_t>(FieldType::DataUnit));
    appendU32(dataHead, uint32_t(unitBody));
    appendFieldHeader(dataHead, FieldType::Array, units);
    appendU32(dataHead, static_cast<uint32_t>(FieldType::FileData));

    Bytes head;
    appendU32(head, kUid1);
    appendU32(head, 0);
    appendU32(head, 0xE0000001);
    appendU32(head, tovrin::sis::uidChecksum(kUid1, 0, 0xE0000001));
    appendFieldHeader(head, FieldType::Contents, 24 + compressed.size() + 8 + dataBody);
    Bytes crc;
    appendU16(crc, tovrin::sis::crc16(compressed.data(), compressed.size()));
    append(head, field(FieldType::ControllerChecksum, crc));
    const size_t dataCrcAt = head.size() + 8;
    append(head, field(FieldType::DataChecksum, {0, 0}));
    append(head, compressed);

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    tovrin::sis::Crc16 dataCrc;
    auto put = [&](const uint8_t* d, size_t n, bool data) {
        out.write(reinterpret_cast<const char*>(d), std::streamsize(n));
        if (data) dataCrc.update(d, n);
    };
    put(head.data(), head.size(), false);
    put(dataHead.data(), dataHead.size(), true);
    for (int i = 0; i < kFiles; ++i) {
        Bytes h;
        appendU32(h, uint32_t(8 + 12 + stored[i]));
        appendFieldHeader(h, FieldType::Compressed, 12 + stored[i]);
        appendU32(h, 1);
        appendU64(h, kFileSize);
        put(h.data(), h.size(), true);
        deflateFile(i, [&](const uint8_t* d, size_t n) { put(d, n, true); });
        const uint8_t zeros[4] = {};
        put(zeros, size_t(padded(stored[i]) - stored[i]), true);
    }
    const uint16_t value = dataCrc.value();
    out.seekp(std::streamoff(dataCrcAt));
    const uint8_t bytes[2] = {uint8_t(value), uint8_t(value >> 8)};
    out.write(reinterpret_cast<const char*>(bytes), 2);
    return static_cast<bool>(out);
}

// Runs `work` in a child; its wall time in seconds and peak resident memory in KiB.
bool measure(const std::function<bool()>& work, double* seconds, long* peakKib) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) _exit(work() ? 0 : 1);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return false;
    }
    *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    *peakKib = usage.ru_maxrss;
    return true;
}

bool verifyWithReader(const std::string& path) {
    tovrin::sis::FileSource source;
    tovrin::sis9::Package package;
    std::string err;
    if (!source.open(path, &err) || !tovrin::sis9::readPackage(source, &package, &err)) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), err.c_str());
        return false;
    }
    const tovrin::sis9::Verification v = tovrin::sis9::verifyPackage(source, package);
    if (!v.verified() || v.count(tovrin::sis9::Status::Warning) != 0 ||
        v.files.size() != size_t(kFiles)) {
        std::fprintf(stderr, "%s: does not verify\n", path.c_str());
        return false;
    }
    return true;
}

// The plain loop: the data field read once in pieces and CRC-16-summed, each file's zlib stream
// inflated as it passes and its output SHA-1-hashed. Offsets come from the same reader, so
// both walk the same bytes.
bool plainLoop(const std::string& path) {
    tovrin::sis::FileSource source;
    tovrin::sis9::Package package;
    std::string err;
    if (!source.open(path, &err) || !tovrin::sis9::readPackage(source, &package, &err)) return false;
    tovrin::sis::Crc16 crc;
    std::vector<uint8_t> in(64 * 1024), out(64 * 1024);
    uint64_t pos = package.dataFieldOffset;
    const uint64_t end = pos + package.dataFieldSize;
    const std::vector<tovrin::sis9::FileData>& files = package.units.at(0);
    size_t next = 0;
    z_stream z{};
    bool inStream = false;
    tovrin::crypto::Sha1 sha;
    while (pos < end) {
        size_t n = size_t(std::min<uint64_t>(in.size(), end - pos));
        // Stop a piece at the next stream's start or the current one's end.
        if (!inStream && next < files.size() && files[next].offset > pos) {
            n = size_t(std::min<uint64_t>(n, files[next].offset - pos));
        } else if (!inStream && next < files.size()) {
            inflateInit(&z);
            inStream = true;
        }
        if (inStream) {
            n = size_t(std::min<uint64_t>(n, files[next].offset + files[next].storedSize - pos));
        }
        if (!source.read(pos, in.data(), n)) return false;
        crc.update(in.data(), n);
        if (inStream) {
            z.next_in = in.data();
            z.avail_in = uInt(n);
            do {
                z.next_out = out.data();
                z.avail_out = uInt(out.size());
                inflate(&z, Z_NO_FLUSH);
                sha.update(out.data(), out.size() - z.avail_out);
            } while (z.avail_out == 0);
            if (pos + n == files[next].offset + files[next].storedSize) {
                inflateEnd(&z);
                inStream = false;
                (void)sha.finish();
                ++next;
            }
        }
        pos += n;
    }
    return crc.value() == package.dataChecksum && next == files.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: verify9_bench <empty folder>\n");
        return 2;
    }
    const std::string path = std::string(argv[1]) + "/bench.sisx";
    std::printf("writing a package of %d files, %.0f MB of file data...\n", kFiles,
                kFiles * kFileSize / 1e6);
    if (!writePackage(path)) {
        std::fprintf(stderr, "%s: cannot write\n", path.c_str());
        return 1;
    }
    double best[2] = {1e9, 1e9};
    long peak[2] = {0, 0};
    for (int round = 0; round < kRounds; ++round) {
        for (int which = 0; which < 2; ++which) {
            double s = 0;
            long kib = 0;
            const bool ok = measure([&] { return which == 0 ? verifyWithReader(path) : plainLoop(path); },
                                    &s, &kib);
            if (!ok) {
                std::fprintf(stderr, "%s failed\n", which == 0 ? "the reader" : "the plain loop");
                return 1;
            }
            best[which] = std::min(best[which], s);
            peak[which] = std::max(peak[which], kib);
        }
    }
    std::printf("package: %llu bytes\n",
                static_cast<unsigned long long>(std::filesystem::file_size(path)));
    std::printf("reader (read, checksums, every file's SHA-1): %.2f s, peak %.1f MiB\n", best[0],
                peak[0] / 1024.0);
    std::printf("plain loop (CRC-16, inflate, SHA-1):          %.2f s, peak %.1f MiB\n", best[1],
                peak[1] / 1024.0);
    std::printf("ratio: %.3f (target <= 1.2)\n", best[0] / best[1]);
    return 0;
}
