#pragma once
// What a Symbian 9 script says: the controller as far as the script decides it, and the files
// it names. What the files themselves decide (hashes, lengths, capabilities) and the creation
// time are filled in by the compiler.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "src/pkg/pkg_model.h"
#include "src/sis9/controller_model.h"

namespace tovrin::makesis {

struct Package9 {
    sis9::Controller controller;
    bool compress = true;  // NC stores every file
    // The sources of the files that carry data, by file index, with the script line of each.
    std::vector<Source> sources;
    std::vector<int> sourceLines;
    // Embedded packages in script order; controller.embedded[i] is filled from embedded[i].
    struct Embedded {
        int line = 0;
        Source source;
        uint32_t uid = 0;
    };
    std::vector<Embedded> embedded;
    int signatureLine = 0;  // a deprecated signature line, read and left out
    std::vector<std::pair<int, std::string>> statements;  // for -v
};

}  // namespace tovrin::makesis
