#pragma once
// Inside src/crypto only: libgcrypt's big integers, owned, to and from the unsigned big-endian
// bytes of DER INTEGERs, and taken out of key S-expressions.

#include <gcrypt.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tovrin::crypto {

class Mpi {
public:
    Mpi() = default;
    explicit Mpi(gcry_mpi_t m) : m_(m) {}
    ~Mpi() { gcry_mpi_release(m_); }
    Mpi(const Mpi&) = delete;
    Mpi& operator=(const Mpi&) = delete;
    Mpi(Mpi&& o) noexcept : m_(o.m_) { o.m_ = nullptr; }
    Mpi& operator=(Mpi&& o) noexcept {
        std::swap(m_, o.m_);
        return *this;
    }
    gcry_mpi_t get() const { return m_; }
    explicit operator bool() const { return m_ != nullptr; }

    static Mpi fromBytes(const std::vector<uint8_t>& bigEndian);
    std::vector<uint8_t> bytes() const;  // at least one byte, no leading zeros

private:
    gcry_mpi_t m_ = nullptr;
};

// The value named `name` ("n", "x", ...) inside a key or signature S-expression; empty when absent.
Mpi mpiOf(gcry_sexp_t sexp, const char* name);

// Overwrites bytes that held key material before they are freed.
void wipe(std::vector<uint8_t>* bytes);
void wipe(std::string* text);

}  // namespace tovrin::crypto
