#pragma once
// A Symbian 9 package to embed in another: its controller goes in as it stands (a plain
// Controller field, its signatures kept), its data units are copied behind the outer
// package's, and its data index is set to the number of its first unit there. The data index
// follows the signature chains, so changing it breaks no signature.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tovrin::sis9 {

struct EmbeddedPackage {
    uint32_t uid = 0;
    std::vector<uint8_t> controller;  // the whole Controller field, expanded
    // Each data unit as an element of the outer array: where its u32 length word starts in
    // the file, and how many bytes (length word, body, padding) follow from there.
    struct Unit {
        uint64_t offset = 0;
        uint64_t size = 0;
    };
    std::vector<Unit> units;
};

// Reads the package at `path`: false with a message when it is not a whole Symbian 9
// package (a stub has no data and cannot be embedded).
bool readEmbeddedPackage(const std::filesystem::path& path, EmbeddedPackage& out,
                         std::string* err);

// Sets the data index, the last member of a Controller field. False when the field does not
// end in one.
bool setDataIndex(std::vector<uint8_t>& controller, uint32_t index);

}  // namespace tovrin::sis9
