// tovrin-build's program: everything is in tovrin_build.
#include <iostream>
#include <string>
#include <vector>

#include "src/platform/app_folder.h"
#include "src/platform/console_program.h"
#include "src/platform/interrupt.h"
#include "src/platform/terminal.h"
#include "tools/tovrin-build/tovrin_build.h"

int main(int argc, char** argv) {
    if (!tovrin::startConsoleProgram()) return 1;
    // An interrupt stops the build at its next step, so that it removes its temporary files.
    tovrin::catchInterrupts();
    const std::vector<std::string> args = tovrin::programArguments(argc, argv);
    const int status = tovrin::build::run(
        args, tovrin::applicationFolder(),
        {std::cout, std::cerr, tovrin::standardErrorIsTerminal(), tovrin::interruptRequested});
    std::cout.flush();
    return std::cout ? status : 1;
}
