#include "src/compiler/fork_encoder.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include <zlib.h>

#include "src/sis/crc.h"
#include "src/text/utf8.h"
#include "src/text/windows1252.h"
#include "src/pkg/text_encoding.h"

namespace tovrin::makesis {
namespace {

constexpr size_t kBufferSize = 256 * 1024;
constexpr int kLevel = 6;  // what zlib's compress() uses

std::string displayName(const std::filesystem::path& path) { return path.u8string(); }

}  // namespace

struct ForkEncoder::Deflater {
    z_stream stream{};
    Deflater() {
        if (deflateInit(&stream, kLevel) != Z_OK) throw std::bad_alloc();
    }
    ~Deflater() { deflateEnd(&stream); }
};

// Passes stored bytes on to the sink, counting them and keeping their CRC.
class ForkEncoder::Output {
public:
    Output(ByteSink& sink, ForkResult& result) : sink_(sink), result_(result) {}
    bool write(const uint8_t* data, size_t size, std::string* err) {
        result_.storedLength += size;
        result_.crc = sis::crc16(data, size, result_.crc);
        return sink_.write(data, size, err);
    }

private:
    ByteSink& sink_;
    ForkResult& result_;
};

ForkEncoder::ForkEncoder(bool compress, bool eightBitText)
    : compress_(compress),
      eightBitText_(eightBitText),
      input_(kBufferSize),
      output_(compress ? kBufferSize : 0) {
    if (compress_) deflater_ = std::make_unique<Deflater>();
}

ForkEncoder::~ForkEncoder() = default;

bool ForkEncoder::feed(const uint8_t* data, size_t size, Output& output, std::string* err) {
    if (!compress_) return output.write(data, size, err);
    z_stream& z = deflater_->stream;
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    while (z.avail_in > 0) {
        z.next_out = output_.data();
        z.avail_out = static_cast<uInt>(output_.size());
        deflate(&z, Z_NO_FLUSH);
        const size_t produced = output_.size() - z.avail_out;
        if (produced && !output.write(output_.data(), produced, err)) return false;
    }
    return true;
}

bool ForkEncoder::finish(Output& output, std::string* err) {
    if (!compress_) return true;
    z_stream& z = deflater_->stream;
    z.next_in = nullptr;
    z.avail_in = 0;
    int status;
    do {
        z.next_out = output_.data();
        z.avail_out = static_cast<uInt>(output_.size());
        status = deflate(&z, Z_FINISH);
        const size_t produced = output_.size() - z.avail_out;
        if (produced && !output.write(output_.data(), produced, err)) return false;
    } while (status == Z_OK);
    deflateReset(&z);
    if (status != Z_STREAM_END) {
        *err = "compression failed";
        return false;
    }
    return true;
}

bool ForkEncoder::narrow(std::string& text, const Fork& fork, bool atStart, std::string* err) {
    if (text.size() % 2 != 0) {
        *err = displayName(fork.path) + " ends in half a UTF-16 character";
        return false;
    }
    size_t kept = 0;
    for (size_t i = 0; i < text.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(static_cast<uint8_t>(text[i]) |
                                                    (static_cast<uint8_t>(text[i + 1]) << 8));
        if (atStart && i == 0 && unit == 0xFEFF) continue;  // a BOM means nothing in 8 bits
        uint8_t byte;
        if (!windows1252Byte(unit, &byte)) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(unit));
            *err = displayName(fork.path) + ": the character " +
                   (unit >= 0xD800 && unit <= 0xDFFF ? std::string("beyond U+FFFF") : code) +
                   " cannot be stored in an ER5 package: its texts are Windows-1252";
            return false;
        }
        text[kept++] = static_cast<char>(byte);
    }
    text.resize(kept);
    return true;
}

bool ForkEncoder::encode(const Fork& fork, ByteSink& sink, ForkResult& result, std::string* err) {
    result = ForkResult{};
    if (compress_) deflateReset(&deflater_->stream);
    Output output(sink, result);
    std::ifstream in(fork.path, std::ios::binary);
    if (!in) {
        *err = "cannot open " + displayName(fork.path);
        return false;
    }
    const auto readPiece = [&](size_t& got) {
        in.read(reinterpret_cast<char*>(input_.data()),
                static_cast<std::streamsize>(input_.size()));
        got = static_cast<size_t>(in.gcount());
        if (in.bad()) {
            *err = "cannot read " + displayName(fork.path);
            return false;
        }
        return true;
    };

    // Text is converted as it streams; whether it is UTF-8 is known only after a first pass.
    std::unique_ptr<Utf16Converter> converter;
    if (fork.convertText) {
        Utf8Checker checker;
        std::string head;
        size_t got = 0;
        do {
            if (!readPiece(got)) return false;
            if (head.size() < 2)
                head.append(reinterpret_cast<const char*>(input_.data()),
                            std::min<size_t>(got, 2 - head.size()));
            checker.update(input_.data(), got);
        } while (got > 0);
        converter = std::make_unique<Utf16Converter>(detectEncoding(head, checker.valid()));
        in.clear();
        in.seekg(0);
        if (!in) {
            *err = "cannot read " + displayName(fork.path);
            return false;
        }
    }

    size_t got = 0;
    bool atStart = true;
    do {
        if (!readPiece(got)) return false;
        result.originalLength += converter ? 0 : got;
        if (converter) {
            converted_.clear();
            converter->convert(input_.data(), got, converted_);
            if (got == 0) converter->finish(converted_);
            const bool start = atStart;
            atStart = atStart && converted_.empty();
            if (eightBitText_ && !narrow(converted_, fork, start, err)) return false;
            result.originalLength += converted_.size();
            if (!feed(reinterpret_cast<const uint8_t*>(converted_.data()), converted_.size(),
                      output, err)) {
                return false;
            }
        } else if (!feed(input_.data(), got, output, err)) {
            return false;
        }
    } while (got > 0);
    return finish(output, err);
}

}  // namespace tovrin::makesis
