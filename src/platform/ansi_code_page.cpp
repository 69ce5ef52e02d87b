#include "src/platform/ansi_code_page.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tovrin {

uint16_t ansiCharacter(uint8_t byte) {
#ifdef _WIN32
    const char in = static_cast<char>(byte);
    wchar_t out = 0;
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &in, 1, &out, 1) != 1) return 0;
    return static_cast<uint16_t>(out);
#else
    (void)byte;
    return 0;
#endif
}

}  // namespace tovrin
