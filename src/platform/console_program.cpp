#include "src/platform/console_program.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <clocale>
#include <cstdio>
#endif

namespace tovrin {

bool startConsoleProgram() {
#ifdef _WIN32
    // Without a locale, MinGW's std::filesystem reads narrow text as Latin-1: 0x80 would become
    // U+0080, not the euro sign of code page 1252.
    std::setlocale(LC_CTYPE, "");
    return _setmode(_fileno(stdout), _O_BINARY) != -1 && _setmode(_fileno(stderr), _O_BINARY) != -1;
#else
    return true;
#endif
}

}  // namespace tovrin
