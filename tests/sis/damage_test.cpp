// Every fixture package, cut at every length and with single bytes changed, must give a clean
// error or a failed check: never a crash, never a package that passes. (The sanitizer build and
// the fuzzer catch what a plain run cannot see.)
#include <gtest/gtest.h>

#include <string>

#include "src/sis/sis_reader.h"
#include "tests/sis/fixture_packages.h"
#include "tests/support/temp_dir.h"

namespace tovrin::sis {
namespace {

// "refused" when the structure is rejected, "failed" when a check fails, "passed" otherwise.
std::string outcome(const std::string& bytes, size_t size) {
    MemorySource source(bytes.data(), size);
    Package package;
    std::string err;
    if (!readPackage(source, &package, &err)) {
        return err.empty() ? "refused without a message" : "refused";
    }
    for (const Check& c : verifyPackage(source, package)) {
        if (!c.ok) return "failed";
    }
    return "passed";
}

class Damaged : public ::testing::TestWithParam<std::string> {
protected:
    std::string package() const { return test::fixture(GetParam() + "/expected.sis"); }
};

TEST_P(Damaged, EveryTruncationIsRejected) {
    const std::string whole = package();
    ASSERT_EQ(outcome(whole, whole.size()), "passed");
    for (size_t length = 0; length < whole.size(); ++length) {
        const std::string result = outcome(whole, length);
        ASSERT_NE(result, "passed") << "cut at " << length;
        ASSERT_NE(result, "refused without a message") << "cut at " << length;
    }
}

// Each byte inverted, and each bit of the first 512 bytes (header, records, names) flipped
// alone. CRC-16 sees every single-byte change, so none of them may pass. The large package is
// sampled past its first 512 bytes, and its bits are left to the others: each of its changes
// means inflating 200 KB.
TEST_P(Damaged, EverySingleByteChangeIsDetected) {
    const std::string whole = package();
    const bool large = whole.size() > 16384;
    for (size_t i = 0; i < whole.size(); i += (large && i >= 0x200 ? 997 : 1)) {
        std::string bytes = whole;
        bytes[i] = static_cast<char>(~bytes[i]);
        const std::string result = outcome(bytes, bytes.size());
        ASSERT_NE(result, "passed") << "byte " << i << " inverted";
        ASSERT_NE(result, "refused without a message") << "byte " << i;
        if (i >= 0x200 || large) continue;
        for (int bit = 0; bit < 8; ++bit) {
            bytes = whole;
            bytes[i] = static_cast<char>(bytes[i] ^ (1 << bit));
            ASSERT_NE(outcome(bytes, bytes.size()), "passed") << "byte " << i << " bit " << bit;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Damaged, test::fixturePackageCases(), test::fixtureCaseName);

}  // namespace
}  // namespace tovrin::sis
