#include "src/crypto/mpi.h"

#include "src/crypto/gcrypt_setup.h"

namespace tovrin::crypto {

Mpi Mpi::fromBytes(const std::vector<uint8_t>& bigEndian) {
    ensureGcrypt();
    gcry_mpi_t m = nullptr;
    if (bigEndian.empty()) return Mpi(gcry_mpi_new(0));
    if (gcry_mpi_scan(&m, GCRYMPI_FMT_USG, bigEndian.data(), bigEndian.size(), nullptr) != 0) return Mpi();
    return Mpi(m);
}

std::vector<uint8_t> Mpi::bytes() const {
    // Printed straight into the vector: a buffer of libgcrypt's own would go back to the heap
    // unwiped, and these are often a private key's numbers.
    size_t size = 0;
    if (m_ == nullptr || gcry_mpi_print(GCRYMPI_FMT_USG, nullptr, 0, &size, m_) != 0) return {};
    std::vector<uint8_t> out(size);
    if (size != 0 && gcry_mpi_print(GCRYMPI_FMT_USG, out.data(), out.size(), &size, m_) != 0) return {};
    out.resize(size);
    if (out.empty()) out.push_back(0);
    return out;
}

Mpi mpiOf(gcry_sexp_t sexp, const char* name) {
    gcry_sexp_t token = gcry_sexp_find_token(sexp, name, 0);
    if (token == nullptr) return Mpi();
    Mpi m(gcry_sexp_nth_mpi(token, 1, GCRYMPI_FMT_USG));
    gcry_sexp_release(token);
    return m;
}

void wipe(std::vector<uint8_t>* bytes) {
    volatile uint8_t* p = bytes->data();
    for (size_t i = 0; i < bytes->size(); ++i) p[i] = 0;
    bytes->clear();
}

void wipe(std::string* text) {
    volatile char* p = &(*text)[0];
    for (size_t i = 0; i < text->size(); ++i) p[i] = 0;
    text->clear();
}

}  // namespace tovrin::crypto
