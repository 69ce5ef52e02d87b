// libFuzzer target: any bytes must parse, verify, list and be laid out and written as a script
// without a crash, a hang or an unbounded allocation. Seed it with the fixture packages.
#include <cstddef>
#include <cstdint>

#include "src/sis/byte_source.h"
#include "src/sis/sis_reader.h"
#include "tools/sislist/extract.h"
#include "tools/sislist/file_layout.h"
#include "tools/sislist/listing.h"
#include "tools/sislist/script_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tovrin::sis::MemorySource source(data, size);
    tovrin::sis::Package package;
    std::string err;
    if (!tovrin::sis::readPackage(source, &package, &err)) return 0;
    const auto checks = tovrin::sis::verifyPackage(source, package);
    (void)tovrin::sislist::formatListing(package, checks);
    for (size_t i = 0; i < package.records.size(); ++i) {
        for (size_t k = 0; k < package.records[i].forks.size(); ++k) {
            (void)tovrin::sislist::extractionName(package, i, k);
        }
    }
    // The decompiler's layout and script, with the facts of data that is all the same.
    std::vector<std::vector<tovrin::sislist::ForkFacts>> facts;
    for (const tovrin::sis::Record& r : package.records) facts.emplace_back(r.forks.size());
    tovrin::sislist::Layout layout = tovrin::sislist::planLayout(package, facts, {"x.pkg"});
    (void)tovrin::sislist::writeScript(package, layout.sources, &layout.differences);
    return 0;
}
