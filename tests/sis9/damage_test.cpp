// Damaged and hostile packages: each is refused with a message naming the field at fault, or
// read and failed by a check, never a crash, never an allocation of what a length claims.
#include <gtest/gtest.h>

#include "src/sis/byte_source.h"
#include "src/sis9/sis9_reader.h"
#include "src/sis9/sis9_verify.h"
#include "tests/sis9/package_writer.h"

namespace tovrin::sis9 {
namespace {

using test::Bytes;

// "refused: <message>", "failed: <check>: <detail>" or "passed".
std::string outcome(const Bytes& bytes) {
    sis::MemorySource source(bytes.data(), bytes.size());
    Package package;
    std::string err;
    if (!readPackage(source, &package, &err)) return "refused: " + err;
    for (const Check& c : verifyPackage(source, package).checks) {
        if (c.status == Status::Failed) return "failed: " + c.what + ": " + c.detail;
    }
    return "passed";
}

test::Package9 plain() {
    test::Package9 p;
    p.deflateController = false;
    p.controller.files = {{"!:\\a", "Hello\n", kOpInstall, 0, false}};
    return p;
}

Bytes bytesOf(const std::string& ascii) { return Bytes(ascii.begin(), ascii.end()); }

void putU64(Bytes& b, size_t at, uint64_t v) {
    test::putU32(b, at, uint32_t(v));
    test::putU32(b, at + 4, uint32_t(v >> 32));
}

TEST(Sis9Damage, EachDamageIsNamedByItsField) {
    const struct {
        const char* name;
        void (*spec)(test::Package9&);
        void (*bytes)(Bytes&);
        const char* expected;
    } kCases[] = {
        {"a first field that is not the contents", nullptr,
         [](Bytes& b) { test::putU32(b, 0x10, 13); },
         "refused: contents: the first field is of type 13, not 12"},
        {"contents longer than the file", nullptr,
         [](Bytes& b) { test::putU32(b, 0x14, uint32_t(b.size() - 0x18 + 4)); },
         "refused: contents: length 0x"},
        {"a vendor name of 0x40000000 bytes", nullptr,
         [](Bytes& b) {
             test::putU32(b, test::find9(b, {1, 0, 0, 0, 8, 0, 0, 0, 'D', 0}) + 4, 0x40000000);
         },
         "refused: controller/info/unique vendor name: length 0x40000000 runs past its parent"},
        {"a target running past its file description", nullptr,
         [](Bytes& b) {
             test::putU32(b, test::find9(b, {1, 0, 0, 0, 8, 0, 0, 0, '!', 0}) + 4, 0x7FFFFFF0);
         },
         "refused: controller/install block/file 0/target: length 0x7FFFFFF0 runs past its parent"},
        {"a digest running past its hash", nullptr,
         [](Bytes& b) { test::putU32(b, test::find9(b, {37, 0, 0, 0, 20, 0, 0, 0}) + 4, 0x100); },
         "refused: controller/install block/file 0/hash/digest: length 0x100 runs past its parent"},
        {"a controller that claims 0xCCCCCC7D6E6F6B69 bytes", nullptr,
         [](Bytes& b) { putU64(b, 0x3C, 0xCCCCCC7D6E6F6B69ull); },
         "refused: contents/controller: declares 0xCCCCCC7D6E6F6B69 bytes once expanded, more "
         "than the reader accepts"},
        {"a deflated controller larger than it declares",
         [](test::Package9& p) { p.deflateController = true; },
         [](Bytes& b) { putU64(b, 0x3C, 16); },
         "refused: contents/controller: zlib stream (236 bytes) inflates to more than the declared "
         "length 16"},
        {"a stored controller of another size than declared", nullptr,
         [](Bytes& b) { putU64(b, 0x3C, 0x10000); },
         "refused: contents/controller: stored 496 bytes, declared 65536"},
        {"file data running 5 bytes past its data unit", nullptr,
         [](Bytes& b) {
             const size_t at = test::find9(b, {3, 0, 0, 0, 18, 0, 0, 0, 0, 0, 0, 0, 6, 0});
             test::putU32(b, at + 4, 18 + 5);
         },
         "refused: data/unit 0/file 0: length 0x17 runs past its parent"},
        {"a language array cut short", nullptr,
         [](Bytes& b) { test::putU32(b, test::find9(b, {11, 0, 0, 0, 4, 0, 0, 0, 1, 0}) + 4, 2); },
         "refused: controller/language 0: cut short before the code"},
        {"an array of the wrong element type", nullptr,
         [](Bytes& b) {
             // The files array: the first array of element type 24.
             size_t at = 0;
             while (!(b[at] == 2 && b[at + 8] == 24 && b[at + 9] == 0)) at += 4;
             test::putU32(b, at + 8, 25);
         },
         "refused: controller/install block/files: array of type 25 where type 24 belongs"},
        {"a SISInfo without its flags byte",
         [](test::Package9& p) { p.controller.dropFlags = true; }, nullptr,
         "refused: controller/info: cut short before the install flags"},
        {"embedded packages nested nine deep",
         [](test::Package9& p) {
             test::Controller9 inner;
             for (int i = 0; i < 9; ++i) {
                 test::Controller9 outer;
                 outer.embedded = {inner};
                 inner = outer;
             }
             p.controller = inner;
         },
         nullptr,
         "refused: controller/install block/embedded 0/install block/embedded 0/install "
         "block/embedded 0/install block/embedded 0/install block/embedded 0/install "
         "block/embedded 0/install block/embedded 0/install block/embedded 0/install "
         "block/embedded 0: embedded packages nested deeper than 8 levels"},
        {"a condition nested 70 deep",
         [](test::Package9& p) {
             Bytes e = test::expression9(Operator::Number, 0);
             for (int i = 0; i < 70; ++i) e = test::expression9(Operator::Not, 0, {e});
             p.controller.ifs = {{e, {}, {}}};
         },
         nullptr, "nested too deeply"},
        {"file data that expands to more than declared", nullptr,
         [](Bytes& b) {
             const size_t at = test::find9(b, {3, 0, 0, 0, 18, 0, 0, 0, 0, 0, 0, 0, 6, 0});
             putU64(b, at + 12, 5);
         },
         "failed: controller/install block/file 0: uncompressed length 6, but the data declares 5"},
        {"a file that claims a terabyte", nullptr,
         [](Bytes& b) {
             putU64(b, test::find9(b, {3, 0, 0, 0, 18, 0, 0, 0, 0, 0, 0, 0, 6, 0}) + 12, 1ull << 40);
             putU64(b, test::find9(b, {1, 0, 0, 0, 0, 0, 0, 0, 6, 0}) + 16, 1ull << 40);
         },
         "failed: controller/install block/file 0: data unit 0 file 0: stored 6 bytes, declared "
         "1099511627776"},
        {"a package of another kind", nullptr, [](Bytes& b) { b = bytesOf("PK\3\4 not a package"); },
         "refused: not a Symbian 9 package (first word 0x4034B50)"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        test::Package9 p = plain();
        if (c.spec) c.spec(p);
        Bytes bytes = test::writePackage9(p);
        if (c.bytes) c.bytes(bytes);
        const std::string result = outcome(bytes);
        EXPECT_NE(result.find(c.expected), std::string::npos) << result;
    }
}

// Every cut of a package and of a stub is refused or fails, with a message.
TEST(Sis9Damage, EveryTruncationIsRejected) {
    test::Package9 p = plain();
    p.controller.ifs = {{test::expression9(Operator::Option, 1), {{"!:\\b", "b"}}, {}}};
    std::vector<std::vector<Bytes>> units;
    for (const Bytes& whole : {test::writePackage9(p),
                               test::writeController9(p.controller, false, &units)}) {
        ASSERT_EQ(outcome(whole), "passed");
        for (size_t n = 0; n < whole.size(); ++n) {
            const std::string result = outcome(Bytes(whole.begin(), whole.begin() + long(n)));
            ASSERT_NE(result, "passed") << "cut at " << n;
            ASSERT_GT(result.size(), std::string("refused: ").size() + 3) << "cut at " << n;
        }
    }
}

}  // namespace
}  // namespace tovrin::sis9
