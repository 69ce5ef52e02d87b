#include <iostream>

#include "tools/sislist/sislist.h"

int main(int argc, char** argv) {
    return tovrin::sislist::run(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                std::cerr);
}
