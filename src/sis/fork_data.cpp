// Streaming a fork's data: raw copy or zlib inflate, in fixed-size pieces.
#include "src/sis/sis_reader.h"
#include "src/sis/stream_data.h"

namespace tovrin::sis {

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
    if (package.compressed()) {
        return inflateStored(source, fork.dataPtr, fork.storedLength, fork.originalLength,
                             "original length", sink, err);
    }
    if (fork.storedLength != fork.originalLength) {
        *err = "stored length " + std::to_string(fork.storedLength) +
               " differs from original length " + std::to_string(fork.originalLength) +
               " in an uncompressed package";
        return false;
    }
    return copyStored(source, fork.dataPtr, fork.storedLength, sink, err);
}

}  // namespace tovrin::sis
