#pragma once
// SHA-1, from libgcrypt: whole buffers or data fed in pieces. Every digest in the project
// (file hashes of Symbian 9 packages, the data a signature covers) goes through here.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tovrin::crypto {

using Sha1Digest = std::array<uint8_t, 20>;

class Sha1 {
public:
    Sha1();
    ~Sha1();
    Sha1(const Sha1&) = delete;
    Sha1& operator=(const Sha1&) = delete;

    void update(const void* data, size_t size);
    // The digest of everything fed so far; the hasher then starts again, empty.
    Sha1Digest finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

Sha1Digest sha1(const void* data, size_t size);

}  // namespace tovrin::crypto
