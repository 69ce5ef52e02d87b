// libFuzzer target: any bytes as a package script, through the parser, the storage plan and
// the record builder, for an ER6 and for an ER5 package. Every named source "exists" unless its
// name length is a multiple of 3, so both the found and the missing paths are taken; no file is
// read.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "src/compiler/package_metadata.h"
#include "src/compiler/package_plan.h"
#include "src/pkg/pkg_parser.h"
#include "src/pkg/text_encoding.h"

using namespace tovrin::makesis;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string script =
        decodeScript(std::string_view(reinterpret_cast<const char*>(data), size));
    const SourceFinder finder = [](const std::u16string& written, Source& found,
                                   std::vector<std::string>&) {
        found.written = readableText(written);  // as the real lookup gives it
        found.path = "fuzz-source";
        found.shownPath = found.written;
        return written.size() % 3 != 0;
    };
    for (const bool er5 : {false, true}) {
        Package package;
        std::vector<Diagnostic> diagnostics;
        // Signature lines allowed, so that they are read rather than refused at their first
        // token.
        if (!parsePackage(script, finder, package, diagnostics, er5, true)) continue;
        const Plan plan = makePlan(
            package,
            [](const std::filesystem::path&) {
                SourceFacts facts;
                facts.size = 100;
                facts.embeddedMaxSpace = 7;
                return facts;
            },
            !er5);
        std::vector<ForkResult> results(plan.forks.size());
        for (ForkResult& r : results) r = ForkResult{40, 100, 0x1234};
        std::vector<uint8_t> bytes;
        std::string error;
        // What the parser accepts the writer can store: an internal error is a finding.
        if (!buildMetadata(package, plan, results, MetadataOptions{}, bytes, &error) &&
            error.rfind("internal error", 0) == 0) {
            __builtin_trap();
        }
    }
    return 0;
}
