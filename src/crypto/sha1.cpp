#include "src/crypto/sha1.h"

#include <gcrypt.h>

#include <cstring>
#include <stdexcept>

#include "src/crypto/gcrypt_setup.h"

namespace tovrin::crypto {

struct Sha1::State {
    gcry_md_hd_t handle = nullptr;
};

Sha1::Sha1() : state_(std::make_unique<State>()) {
    ensureGcrypt();
    if (gcry_md_open(&state_->handle, GCRY_MD_SHA1, 0) != 0)
        throw std::runtime_error("SHA-1 is not available");
}

Sha1::~Sha1() { gcry_md_close(state_->handle); }

void Sha1::update(const void* data, size_t size) {
    if (size != 0) gcry_md_write(state_->handle, data, size);
}

Sha1Digest Sha1::finish() {
    Sha1Digest digest;
    std::memcpy(digest.data(), gcry_md_read(state_->handle, GCRY_MD_SHA1), digest.size());
    gcry_md_reset(state_->handle);
    return digest;
}

Sha1Digest sha1(const void* data, size_t size) {
    ensureGcrypt();
    Sha1Digest digest;
    gcry_md_hash_buffer(GCRY_MD_SHA1, digest.data(), data, size);
    return digest;
}

}  // namespace tovrin::crypto
