#include <iostream>

#include "src/platform/console_program.h"
#include "tools/sissign/sissign.h"

int main(int argc, char** argv) {
    if (!tovrin::startConsoleProgram()) return 1;
    return tovrin::sissign::run(tovrin::programArguments(argc, argv), std::cout, std::cerr);
}
