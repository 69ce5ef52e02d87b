#pragma once
// Inside src/crypto only: libgcrypt's S-expressions (keys, signatures, data to sign), owned.

#include <gcrypt.h>

#include <utility>

namespace tovrin::crypto {

// Owns one S-expression.
class Sexp {
public:
    Sexp() = default;
    explicit Sexp(gcry_sexp_t s) : s_(s) {}
    ~Sexp() { gcry_sexp_release(s_); }
    Sexp(const Sexp&) = delete;
    Sexp& operator=(const Sexp&) = delete;
    Sexp(Sexp&& o) noexcept : s_(o.s_) { o.s_ = nullptr; }
    Sexp& operator=(Sexp&& o) noexcept {
        std::swap(s_, o.s_);
        return *this;
    }
    gcry_sexp_t get() const { return s_; }
    gcry_sexp_t* out() {
        gcry_sexp_release(s_);
        s_ = nullptr;
        return &s_;
    }

private:
    gcry_sexp_t s_ = nullptr;
};

}  // namespace tovrin::crypto
