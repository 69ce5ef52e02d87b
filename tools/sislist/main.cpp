#include <iostream>

#include "src/platform/console_program.h"
#include "tools/sislist/sislist.h"

int main(int argc, char** argv) {
    if (!tovrin::startConsoleProgram()) return 1;
    return tovrin::sislist::run(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                std::cerr);
}
