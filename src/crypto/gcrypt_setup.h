#pragma once
// libgcrypt must be initialised once before its first use; every file of src/crypto that calls
// it calls this first. Thread-safe, cheap after the first call.

namespace tovrin::crypto {

void ensureGcrypt();

}  // namespace tovrin::crypto
