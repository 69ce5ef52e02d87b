#pragma once
// A small writer of unsigned one-file Symbian 9 packages for the signer's tests: the package of
// the format's worked example (UID 0xE0000001, vendor "Demo", S60 3rd edition, one file
// "!:\private\E0000001\hello.txt" holding "Hello\n", made 2024-06-01 12:00:00) with the
// controller stored or deflated at zlib level 6.

#include <cstdint>
#include <string>
#include <vector>

namespace tovrin::test {

struct ExamplePackage {
    bool deflated = true;
    uint32_t uid = 0xE0000001;
    std::string content = "Hello\n";
};

std::vector<uint8_t> writeExamplePackage(const ExamplePackage& package);

std::string asString(const std::vector<uint8_t>& bytes);

}  // namespace tovrin::test
