// Streaming a fork's data: raw copy or zlib inflate, in fixed-size pieces.
#include <zlib.h>

#include <algorithm>

#include "src/sis/sis_reader.h"

namespace tovrin::sis {
namespace {

constexpr size_t kChunk = 64 * 1024;

bool emit(const DataSink& sink, const uint8_t* data, size_t size, std::string* err) {
    return !sink || size == 0 || sink(data, size, err);
}

bool copyRaw(ByteSource& source, const Fork& fork, const DataSink& sink, std::string* err) {
    if (fork.storedLength != fork.originalLength) {
        *err = "stored length " + std::to_string(fork.storedLength) +
               " differs from original length " + std::to_string(fork.originalLength) +
               " in an uncompressed package";
        return false;
    }
    std::vector<uint8_t> buffer(std::min<size_t>(kChunk, fork.storedLength));
    uint64_t done = 0;
    while (done < fork.storedLength) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(kChunk, fork.storedLength - done));
        if (!source.read(fork.dataPtr + done, buffer.data(), n)) {
            *err = "cannot read the data";
            return false;
        }
        if (!emit(sink, buffer.data(), n, err)) return false;
        done += n;
    }
    return true;
}

struct Inflater {
    z_stream z{};
    bool ready = false;
    ~Inflater() {
        if (ready) inflateEnd(&z);
    }
};

bool inflateFork(ByteSource& source, const Fork& fork, const DataSink& sink, std::string* err) {
    Inflater inf;
    if (inflateInit(&inf.z) != Z_OK) {
        *err = "zlib cannot start";
        return false;
    }
    inf.ready = true;
    std::vector<uint8_t> in(kChunk), out(kChunk);
    uint64_t readSoFar = 0;
    uint64_t produced = 0;
    const std::string stream = "zlib stream (" + std::to_string(fork.storedLength) + " bytes)";
    for (;;) {
        if (inf.z.avail_in == 0 && readSoFar < fork.storedLength) {
            const size_t n =
                static_cast<size_t>(std::min<uint64_t>(kChunk, fork.storedLength - readSoFar));
            if (!source.read(fork.dataPtr + readSoFar, in.data(), n)) {
                *err = "cannot read the data";
                return false;
            }
            readSoFar += n;
            inf.z.next_in = in.data();
            inf.z.avail_in = static_cast<uInt>(n);
        }
        inf.z.next_out = out.data();
        inf.z.avail_out = static_cast<uInt>(out.size());
        const uInt availIn = inf.z.avail_in;
        const int rc = inflate(&inf.z, Z_NO_FLUSH);
        const size_t got = out.size() - inf.z.avail_out;
        produced += got;
        if (produced > fork.originalLength) {
            *err = stream + " inflates to more than the original length " +
                   std::to_string(fork.originalLength);
            return false;
        }
        if (!emit(sink, out.data(), got, err)) return false;
        if (rc == Z_STREAM_END) {
            const uint64_t unused = inf.z.avail_in + (fork.storedLength - readSoFar);
            if (unused != 0) {
                *err = stream + " ends " + std::to_string(unused) + " bytes early";
                return false;
            }
            break;
        }
        if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT || rc == Z_MEM_ERROR || rc == Z_STREAM_ERROR) {
            *err = stream + " is damaged" + (inf.z.msg ? std::string(": ") + inf.z.msg : "");
            return false;
        }
        const bool progress = got > 0 || inf.z.avail_in != availIn;
        if (!progress && inf.z.avail_in == 0 && readSoFar == fork.storedLength) {
            *err = stream + " is cut short";
            return false;
        }
        if (!progress && inf.z.avail_in != 0) {  // cannot happen with output room; never spin
            *err = stream + " makes no progress";
            return false;
        }
    }
    if (produced != fork.originalLength) {
        *err = stream + " inflates to " + std::to_string(produced) + " bytes, original length " +
               std::to_string(fork.originalLength);
        return false;
    }
    return true;
}

}  // namespace

bool readForkData(ByteSource& source, const Package& package, const Fork& fork,
                  const DataSink& sink, std::string* err) {
    if (fork.storedLength == 0) {
        if (fork.originalLength != 0) {
            *err =
                "no data stored for an original length of " + std::to_string(fork.originalLength);
            return false;
        }
        return true;
    }
    if (fork.dataPtr > source.size() || fork.storedLength > source.size() - fork.dataPtr) {
        *err = "data runs past the end of the file";
        return false;
    }
    return package.compressed() ? inflateFork(source, fork, sink, err)
                                : copyRaw(source, fork, sink, err);
}

}  // namespace tovrin::sis
