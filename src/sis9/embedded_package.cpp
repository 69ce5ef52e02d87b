#include "src/sis9/embedded_package.h"

#include <zlib.h>

#include <fstream>

#include "src/sis9/field_header.h"
#include "src/sis9/sis9_format.h"

namespace tovrin::sis9 {
namespace {

// Controllers are small; anything claiming more is damage.
constexpr uint64_t kMaxController = 64ull << 20;

class FileReader {
public:
    explicit FileReader(const std::filesystem::path& path) : in_(path, std::ios::binary) {
        if (in_) {
            in_.seekg(0, std::ios::end);
            size_ = static_cast<uint64_t>(in_.tellg());
        }
    }
    bool ok() const { return static_cast<bool>(in_); }
    uint64_t size() const { return size_; }
    bool read(uint64_t offset, void* data, size_t size) {
        if (offset > size_ || size > size_ - offset) return false;
        in_.seekg(static_cast<std::streamoff>(offset));
        in_.read(static_cast<char*>(data), static_cast<std::streamsize>(size));
        return static_cast<size_t>(in_.gcount()) == size;
    }
    // A field header at `offset` whose body lies within `end`.
    bool header(uint64_t offset, uint64_t end, FieldHeader& h, std::string* err) {
        uint8_t bytes[12] = {};
        const uint64_t available = end > offset ? end - offset : 0;
        if (!read(offset, bytes, static_cast<size_t>(std::min<uint64_t>(12, available)))) {
            *err = "cut short";
            return false;
        }
        return parseFieldHeader(bytes, available, &h, err);
    }

private:
    std::ifstream in_;
    uint64_t size_ = 0;
};

}  // namespace

bool readEmbeddedPackage(const std::filesystem::path& path, EmbeddedPackage& out,
                         std::string* err) {
    out = EmbeddedPackage{};
    const std::string name = path.u8string();
    FileReader file(path);
    if (!file.ok()) {
        *err = "cannot read " + name;
        return false;
    }
    const auto damaged = [&](const std::string& what) {
        *err = name + ": not a Symbian 9 package to embed: " + what;
        return false;
    };
    uint8_t uids[16];
    if (!file.read(0, uids, sizeof uids) || loadU32(uids) != kUid1) {
        return damaged(loadU32(uids) == uint32_t(FieldType::Controller)
                           ? "it is a controller-only stub"
                           : "its first word is not 0x10201A7A");
    }
    out.uid = loadU32(uids + 8);
    FieldHeader contents;
    if (!file.header(16, file.size(), contents, err) ||
        contents.type != uint32_t(FieldType::Contents)) {
        return damaged("no contents field");
    }
    const uint64_t end = 16 + contents.headerSize + contents.bodyLength;
    bool haveController = false, haveData = false;
    for (uint64_t at = 16 + contents.headerSize; at < end;) {
        FieldHeader h;
        if (!file.header(at, end, h, err)) return damaged(*err);
        const uint64_t body = at + h.headerSize;
        if (h.type == uint32_t(FieldType::Compressed) && !haveController) {
            uint8_t head[12];
            if (h.bodyLength < 12 || !file.read(body, head, sizeof head)) {
                return damaged("controller cut short");
            }
            const uint32_t algorithm = loadU32(head);
            const uint64_t size = loadU64(head + 4);
            if (size > kMaxController || h.bodyLength - 12 > kMaxController) {
                return damaged("controller too large");
            }
            std::vector<uint8_t> stored(static_cast<size_t>(h.bodyLength - 12));
            if (!file.read(body + 12, stored.data(), stored.size())) {
                return damaged("controller cut short");
            }
            if (algorithm == uint32_t(Compression::Stored)) {
                out.controller = std::move(stored);
            } else if (algorithm == uint32_t(Compression::Deflate)) {
                out.controller.resize(static_cast<size_t>(size));
                uLongf length = static_cast<uLongf>(size);
                if (uncompress(out.controller.data(), &length, stored.data(),
                               static_cast<uLong>(stored.size())) != Z_OK ||
                    length != size) {
                    return damaged("its controller does not expand");
                }
            } else {
                return damaged("unknown compression of its controller");
            }
            FieldHeader c;
            if (!parseFieldHeader(out.controller.data(), out.controller.size(), &c, err) ||
                c.type != uint32_t(FieldType::Controller)) {
                return damaged("the compressed field holds no controller");
            }
            out.controller.resize(static_cast<size_t>(c.headerSize + c.bodyLength));
            haveController = true;
        } else if (h.type == uint32_t(FieldType::Data)) {
            FieldHeader array;
            const uint64_t dataEnd = body + h.bodyLength;
            if (!file.header(body, dataEnd, array, err) ||
                array.type != uint32_t(FieldType::Array)) {
                return damaged("its data holds no array");
            }
            uint64_t element = body + array.headerSize + 4;
            const uint64_t arrayEnd = body + array.headerSize + array.bodyLength;
            while (element < arrayEnd) {
                uint8_t word[4];
                if (element + 4 > arrayEnd || !file.read(element, word, 4)) {
                    return damaged("a data unit cut short");
                }
                const uint64_t size = 4 + padded(loadU32(word));
                if (size > arrayEnd - element) return damaged("a data unit runs past its data");
                out.units.push_back({element, size});
                element += size;
            }
            haveData = true;
        }
        at = body + padded(h.bodyLength);
    }
    if (!haveController) return damaged("no controller");
    if (!haveData) return damaged("no data");
    if (out.controller.size() < 8 + 12 ||
        !setDataIndex(out.controller, loadU32(out.controller.data() + out.controller.size() - 4))) {
        return damaged("its controller does not end in a data index");
    }
    return true;
}

bool setDataIndex(std::vector<uint8_t>& controller, uint32_t index) {
    if (controller.size() < 20) return false;
    uint8_t* field = controller.data() + controller.size() - 12;
    if (loadU32(field) != uint32_t(FieldType::DataIndex) || loadU32(field + 4) != 4) return false;
    for (int i = 0; i < 4; ++i) field[8 + i] = uint8_t(index >> (8 * i));
    return true;
}

}  // namespace tovrin::sis9
