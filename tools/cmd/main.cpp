#include "tools/cmd/interpreter.h"

#include <iostream>

int main(int argc, char** argv) {
    return tovrin::cmd::run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
