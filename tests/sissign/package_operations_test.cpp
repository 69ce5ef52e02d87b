// The signer's package operations without keys: the controller found, chains added and removed,
// the package written again around a controller.
#include <gtest/gtest.h>

#include <sstream>

#include "src/sis/byte_source.h"
#include "src/sis/crc.h"
#include "src/sis9/field_header.h"
#include "src/sis9/package_parts.h"
#include "src/sis9/package_rewrite.h"
#include "src/sis9/signature_chains.h"
#include "tests/sissign/package_writer.h"

namespace tovrin::sis9 {
namespace {

using Bytes = std::vector<uint8_t>;
using test::ExamplePackage;
using test::writeExamplePackage;

bool parts(const Bytes& package, PackageParts* out, std::string* err) {
    sis::MemorySource source(package.data(), package.size());
    return readPackageParts(source, out, err);
}

Bytes rewritten(const Bytes& package, const PackageParts& p, const Bytes& controller) {
    sis::MemorySource source(package.data(), package.size());
    std::ostringstream out;
    std::string err;
    EXPECT_TRUE(writePackage(source, p, controller, out, &err)) << err;
    const std::string s = out.str();
    return Bytes(s.begin(), s.end());
}

// The writer of the tests agrees with the worked example's check values, so the rest of these
// tests stand on a package whose bytes are known.
TEST(ExamplePackageTest, MatchesTheWorkedExample) {
    struct Case {
        bool deflated;
        size_t size;
        uint16_t controllerChecksum;
    };
    for (const Case& c : {Case{false, 684, 0x7D86}, Case{true, 408, 0x30DF}}) {
        const Bytes package = writeExamplePackage({c.deflated});
        EXPECT_EQ(package.size(), c.size);
        EXPECT_EQ(loadU16(package.data() + 0x20), c.controllerChecksum);
        EXPECT_EQ(loadU16(package.data() + 0x2C), 0xB535);
        EXPECT_EQ(loadU32(package.data() + 0x0C), 0x65F2F81Bu);
    }
}

// Written again around its own controller, a package is the same bytes: the compression, the
// checksums and the lengths are made as the package made them.
TEST(RewriteTest, OwnControllerGivesTheSameBytes) {
    for (bool deflated : {false, true}) {
        const Bytes package = writeExamplePackage({deflated});
        PackageParts p;
        std::string err;
        ASSERT_TRUE(parts(package, &p, &err)) << err;
        EXPECT_EQ(p.compression, deflated ? 1u : 0u);
        EXPECT_EQ(rewritten(package, p, p.controller), package) << deflated;
    }
}

// The data field is copied as it stands: its body is never parsed, so bytes that are no fields
// at all come through unchanged, checksummed.
TEST(RewriteTest, DataIsCopiedUnparsed) {
    Bytes package = writeExamplePackage({true});
    PackageParts p;
    std::string err;
    ASSERT_TRUE(parts(package, &p, &err)) << err;
    std::fill(package.begin() + ptrdiff_t(p.dataOffset + 8), package.end(), 0xEE);
    ASSERT_TRUE(parts(package, &p, &err)) << err;
    const Bytes again = rewritten(package, p, p.controller);
    EXPECT_TRUE(std::equal(package.begin() + ptrdiff_t(p.dataOffset), package.end(),
                           again.begin() + ptrdiff_t(p.dataOffset)));
    EXPECT_EQ(loadU16(again.data() + 0x2C), sis::crc16(again.data() + p.dataOffset, p.dataSize));
}

Bytes fakeChain(const std::string& tag) {
    return encodeChain("1.2.840.113549.1.1.5", Bytes(tag.begin(), tag.end()),
                       Bytes{0x30, 0x03, 0x02, 0x01, 0x07});
}

TEST(ChainsTest, AddedAfterTheLastAndRemovedToTheUnsignedBytes) {
    const Bytes package = writeExamplePackage({true});
    PackageParts p;
    std::string err;
    ASSERT_TRUE(parts(package, &p, &err)) << err;
    ControllerChains none;
    ASSERT_TRUE(findChains(p.controller, &none, &err)) << err;
    EXPECT_TRUE(none.chains.empty());
    EXPECT_EQ(p.controller.size() - none.dataIndexOffset, 12u);

    const Bytes one = withChain(p.controller, none, fakeChain("first"));
    ControllerChains c1;
    ASSERT_TRUE(findChains(one, &c1, &err)) << err;
    ASSERT_EQ(c1.chains.size(), 1u);
    const Bytes two = withChain(one, c1, fakeChain("second!"));
    ControllerChains c2;
    ASSERT_TRUE(findChains(two, &c2, &err)) << err;
    ASSERT_EQ(c2.chains.size(), 2u);
    // What the first signer signed is untouched by the second chain.
    EXPECT_EQ(c2.chains[0].offset, none.dataIndexOffset);
    EXPECT_TRUE(std::equal(p.controller.begin() + 8, p.controller.begin() + none.dataIndexOffset,
                           two.begin() + 8));
    EXPECT_EQ(c2.chains[1].offset, c2.chains[0].offset + c2.chains[0].size);
    EXPECT_EQ(loadU32(two.data() + 4), two.size() - 8);

    const char* tags[] = {"first", "second!"};
    for (size_t i = 0; i < 2; ++i) {
        Chain chain;
        ASSERT_TRUE(decodeChain(two.data() + c2.chains[i].offset, c2.chains[i].size, &chain, &err))
            << err;
        ASSERT_EQ(chain.signatures.size(), 1u);
        EXPECT_EQ(chain.signatures[0].algorithmOid, "1.2.840.113549.1.1.5");
        EXPECT_EQ(test::asString(chain.signatures[0].value), tags[i]);
        EXPECT_EQ(chain.certificates, (Bytes{0x30, 0x03, 0x02, 0x01, 0x07}));
    }

    EXPECT_EQ(withoutChains(two, c2), p.controller);
    const Bytes signedPackage = rewritten(package, p, two);
    PackageParts s;
    ASSERT_TRUE(parts(signedPackage, &s, &err)) << err;
    EXPECT_EQ(s.controller, two);
    // Both checksums are the CRCs of the new fields.
    const uint32_t compressedSize = loadU32(signedPackage.data() + 0x34);
    EXPECT_EQ(loadU16(signedPackage.data() + 0x20),
              sis::crc16(signedPackage.data() + 0x30, padded(compressedSize) + 8));
    EXPECT_EQ(loadU16(signedPackage.data() + 0x2C),
              sis::crc16(signedPackage.data() + s.dataOffset, s.dataSize));
    EXPECT_EQ(rewritten(signedPackage, s, withoutChains(two, c2)), package);
}

// Damage gives a message, never a crash: every cut, a forged size, a stub, a foreign file.
TEST(PartsTest, DamageIsRefusedWithAMessage) {
    const Bytes package = writeExamplePackage({true});
    for (size_t length = 0; length < package.size(); ++length) {
        const Bytes cut(package.begin(), package.begin() + ptrdiff_t(length));
        PackageParts p;
        std::string err;
        EXPECT_FALSE(parts(cut, &p, &err)) << length;
        EXPECT_FALSE(err.empty()) << length;
    }
    struct Case {
        const char* name;
        size_t offset;
        Bytes bytes;
        std::string message;
    };
    const Case cases[] = {
        {"ForgedSize", 0x3C, {0x69, 0x6B, 0x6F, 0x6E, 0x7D, 0xCC, 0xCC, 0xCC},
         "compressed controller: expanded size 14757394918082046825 is past the limit of 67108864 bytes"},
        {"SizeOneShort", 0x3C, {uint8_t(package[0x3C] - 1)},
         "compressed controller: the zlib stream does not expand to the declared size"},
        {"UnknownAlgorithm", 0x38, {7}, "compressed controller: unknown algorithm 7"},
        {"Stub", 0, {0x0D, 0, 0, 0}, "a controller-only stub, not a full package"},
        {"Foreign", 0, {0x19, 0, 0, 0}, "not a Symbian 9 package (UID1 is not 0x10201A7A)"},
        {"NotContents", 0x10, {0x0D}, "the first field is not the contents (type 12)"},
        {"TrailingBytes", package.size(), {0, 0, 0, 0}, "contents end before the end of the file"},
    };
    for (const Case& c : cases) {
        Bytes damaged = package;
        if (c.offset + c.bytes.size() > damaged.size()) damaged.resize(c.offset + c.bytes.size());
        std::copy(c.bytes.begin(), c.bytes.end(), damaged.begin() + ptrdiff_t(c.offset));
        PackageParts p;
        std::string err;
        EXPECT_FALSE(parts(damaged, &p, &err)) << c.name;
        EXPECT_EQ(err, c.message) << c.name;
    }
}

TEST(ChainsTest, MisplacedMembersAreRefused) {
    const Bytes package = writeExamplePackage({false});
    PackageParts p;
    std::string err;
    ASSERT_TRUE(parts(package, &p, &err)) << err;
    ControllerChains c;
    ASSERT_TRUE(findChains(p.controller, &c, &err));
    struct Case {
        const char* name;
        Bytes controller;
        std::string message;
    };
    Bytes afterIndex = p.controller;
    const Bytes extra = fakeChain("late");
    afterIndex.insert(afterIndex.end(), extra.begin(), extra.end());
    afterIndex[4] = uint8_t(afterIndex.size() - 8);
    afterIndex[5] = uint8_t((afterIndex.size() - 8) >> 8);
    Bytes noIndex(p.controller.begin(), p.controller.begin() + ptrdiff_t(c.dataIndexOffset));
    noIndex[4] = uint8_t(noIndex.size() - 8);
    noIndex[5] = uint8_t((noIndex.size() - 8) >> 8);
    const Case cases[] = {
        {"ChainAfterIndex", afterIndex, "controller: a field of type 39 follows the data index"},
        {"NoIndex", noIndex, "controller: no data index"},
    };
    for (const Case& k : cases) {
        ControllerChains out;
        EXPECT_FALSE(findChains(k.controller, &out, &err)) << k.name;
        EXPECT_EQ(err, k.message) << k.name;
    }
}

}  // namespace
}  // namespace tovrin::sis9
