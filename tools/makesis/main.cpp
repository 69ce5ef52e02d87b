// The package compiler's program: everything is in makesis_lib.
#include <iostream>
#include <string>
#include <vector>

#include "tools/makesis/makesis.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = tovrin::makesis::run(args, std::cout);
    std::cout.flush();
    return std::cout ? status : 1;
}
