// The package compiler's program: everything is in tovrin_makesis.
#include <iostream>
#include <string>
#include <vector>

#include "src/platform/console_program.h"
#include "src/compiler/makesis.h"

int main(int argc, char** argv) {
    if (!tovrin::startConsoleProgram()) return 1;
    const std::vector<std::string> args = tovrin::programArguments(argc, argv);
    const int status = tovrin::makesis::run(args, std::cout, {}, &std::cerr);
    std::cout.flush();
    return std::cout ? status : 1;
}
