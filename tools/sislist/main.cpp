#include <iostream>

#include "src/platform/console_program.h"
#include "tools/sislist/sislist.h"

int main(int argc, char** argv) {
    if (!tovrin::startConsoleProgram()) return 1;
    return tovrin::sislist::run(tovrin::programArguments(argc, argv), std::cout, std::cerr);
}
