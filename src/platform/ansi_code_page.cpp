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

bool isAnsiLeadByte(uint8_t byte) {
#ifdef _WIN32
    return IsDBCSLeadByteEx(GetACP(), byte) != 0;
#else
    (void)byte;
    return false;
#endif
}

bool isDoubleByteAnsiText(std::string_view text) {
#ifdef _WIN32
    CPINFO info;
    if (!GetCPInfo(CP_ACP, &info) || info.MaxCharSize != 2 || text.empty()) return false;
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(),
                               static_cast<int>(text.size()), nullptr, 0) > 0;
#else
    (void)text;
    return false;
#endif
}

uint16_t ansiCharacter(uint8_t lead, uint8_t trail) {
#ifdef _WIN32
    const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    wchar_t out = 0;
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, in, 2, &out, 1) != 1) return 0;
    return static_cast<uint16_t>(out);
#else
    (void)lead;
    (void)trail;
    return 0;
#endif
}

}  // namespace tovrin
