#include "src/sis/stream_data.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

namespace tovrin::sis {
namespace {

constexpr size_t kChunk = 64 * 1024;

bool emit(const DataSink& sink, const uint8_t* data, size_t size, std::string* err) {
    return !sink || size == 0 || sink(data, size, err);
}

struct Inflater {
    z_stream z{};
    bool ready = false;
    ~Inflater() {
        if (ready) inflateEnd(&z);
    }
};

}  // namespace

bool copyStored(ByteSource& source, uint64_t offset, uint64_t length, const DataSink& sink,
                std::string* err) {
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(kChunk, length)));
    for (uint64_t done = 0; done < length;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(kChunk, length - done));
        if (!source.read(offset + done, buffer.data(), n)) {
            *err = "cannot read the data";
            return false;
        }
        if (!emit(sink, buffer.data(), n, err)) return false;
        done += n;
    }
    return true;
}

bool inflateStored(ByteSource& source, uint64_t offset, uint64_t storedLength, uint64_t length,
                   const std::string& lengthName, const DataSink& sink, std::string* err) {
    Inflater inf;
    if (inflateInit(&inf.z) != Z_OK) {
        *err = "zlib cannot start";
        return false;
    }
    inf.ready = true;
    std::vector<uint8_t> in(static_cast<size_t>(std::min<uint64_t>(kChunk, storedLength))),
        out(kChunk);
    uint64_t readSoFar = 0;
    uint64_t produced = 0;
    const std::string stream = "zlib stream (" + std::to_string(storedLength) + " bytes)";
    for (;;) {
        if (inf.z.avail_in == 0 && readSoFar < storedLength) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(kChunk, storedLength - readSoFar));
            if (!source.read(offset + readSoFar, in.data(), n)) {
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
        if (produced > length) {
            *err = stream + " inflates to more than the " + lengthName + " " +
                   std::to_string(length);
            return false;
        }
        if (!emit(sink, out.data(), got, err)) return false;
        if (rc == Z_STREAM_END) {
            const uint64_t unused = inf.z.avail_in + (storedLength - readSoFar);
            if (unused != 0) {
                *err = stream + " ends " + std::to_string(unused) + " bytes early";
                return false;
            }
            break;
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            *err = stream + " is damaged" + (inf.z.msg ? std::string(": ") + inf.z.msg : "");
            return false;
        }
        const bool progress = got > 0 || inf.z.avail_in != availIn;
        if (!progress && inf.z.avail_in == 0 && readSoFar == storedLength) {
            *err = stream + " is cut short";
            return false;
        }
        if (!progress) {  // cannot happen with room for output; never spin
            *err = stream + " makes no progress";
            return false;
        }
    }
    if (produced != length) {
        *err = stream + " inflates to " + std::to_string(produced) + " bytes, " + lengthName +
               " " + std::to_string(length);
        return false;
    }
    return true;
}

}  // namespace tovrin::sis
