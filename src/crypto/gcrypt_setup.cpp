#include "src/crypto/gcrypt_setup.h"

#include <gcrypt.h>

#include <mutex>

namespace tovrin::crypto {

void ensureGcrypt() {
    static std::once_flag once;
    std::call_once(once, [] {
        gcry_check_version(nullptr);
        // Keys are handled in ordinary memory: the secure-memory pool only matters for a
        // long-running process holding secrets, and asking for it needs privileges.
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    });
}

}  // namespace tovrin::crypto
