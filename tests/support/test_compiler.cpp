// A stand-in for the package compiler, for tests of the build around it. Called as
// "makesis.exe <script>.pkg", it writes <script>.sis beside the script. A file named
// "test-compiler-mode" beside the script changes what it does:
//   fail  - prints an error and writes nothing
//   slow  - waits 1.5 s, then writes the package in several pieces
// The package is "test package\n" followed by the script's bytes, so a test can tell builds apart.

#include <chrono>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cout << "usage: makesis.exe script.pkg\n";
        return 1;
    }
    const std::string script = argv[1];
    const std::string folder = script.substr(0, script.find_last_of("/\\") + 1);
    std::string mode;
    std::ifstream(folder + "test-compiler-mode") >> mode;
    if (mode == "fail") {
        std::cout << script << "(1) : error: the test compiler was asked to fail\n";
        return 1;
    }
    std::ifstream in(script, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string package = script.substr(0, script.size() - 4) + ".sis";
    std::ofstream out(package, std::ios::binary);
    out << "test package\n";
    if (mode == "slow") {
        out.flush();
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    }
    out << text;
    std::cout << "test compiler: wrote " << package << "\n";
    return out ? 0 : 1;
}
