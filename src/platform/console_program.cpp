#include "src/platform/console_program.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>
#include <clocale>
#include <cstdio>

#include "src/platform/code_page.h"
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

std::vector<std::string> programArguments(int argc, char** argv) {
#ifdef _WIN32
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        std::vector<std::string> args;
        for (int i = 1; i < count; ++i)
            args.push_back(codePageFromWideMarked(GetACP(), wide[i], '?'));
        LocalFree(wide);
        return args;
    }
#endif
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace tovrin
