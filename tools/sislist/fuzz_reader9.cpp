// libFuzzer target: any bytes must read as a Symbian 9 package or stub, be checked (data,
// signatures, certificates), listed and catalogued without a crash, a hang or an unbounded
// allocation. Seeded with the packages of tests/data/sis9, made by the tests' package writer.
#include <cstddef>
#include <cstdint>

#include "src/sis/byte_source.h"
#include "src/sis9/signature_report.h"
#include "src/sis9/sis9_reader.h"
#include "src/sis9/sis9_verify.h"
#include "tools/sislist/listing9.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tovrin::sis::MemorySource source(data, size);
    tovrin::sis9::Package package;
    std::string err;
    (void)tovrin::sis9::looksLikeSis9(source);
    if (!tovrin::sis9::readPackage(source, &package, &err)) return 0;
    tovrin::sis9::Verification verification = tovrin::sis9::verifyPackage(source, package);
    const auto chains = tovrin::sis9::verifySignatures(package, 1200000000);
    tovrin::sis9::addSignatureChecks(package, chains, &verification);
    (void)tovrin::sis9::stampedControllerChecksum(package);
    (void)tovrin::sislist::formatListing9(package, verification, chains);
    return 0;
}
