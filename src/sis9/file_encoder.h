#pragma once
// Encodes one source file for a package's data: read in pieces, hashed (SHA-1 of the bytes as
// they are), and deflated as a zlib stream at level 6 onto a scratch stream, which equals
// zlib's one-shot compress2() of the whole file. A file is stored as it is when deflating does
// not make it smaller; the scratch stream is then put back where it was, and the writer copies
// the source again. The first bytes tell an executable's capability word (its E32 image
// header). Memory stays at two fixed buffers whatever the size.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace tovrin::sis9 {

struct EncodedFile {
    uint64_t length = 0;        // of the source
    uint64_t storedLength = 0;  // of what the package holds
    bool deflated = false;
    uint64_t scratchOffset = 0;  // where its deflated bytes start in the scratch stream
    std::vector<uint8_t> hash;   // SHA-1
    bool hasCapabilities = false;
    uint32_t capabilities = 0;
};

// `compress` false stores the file without trying. False with a message naming the file.
bool encodeFile(const std::filesystem::path& path, bool compress, std::ostream& scratch,
                EncodedFile& out, std::string* err);

// The capability word of an E32 image (UID1 0x1000007A for programs, 0x10000079 for
// libraries, "EPOC" at 0x10, the word at 0x88); false when `head` is no such image or it asks
// for no capabilities, as real packages then leave the member out.
bool executableCapabilities(const uint8_t* head, size_t size, uint32_t* capabilities);

}  // namespace tovrin::sis9
