// Packages written here read back into the values written, by every layout the format allows,
// and their checks say what the format says they should.
#include <gtest/gtest.h>

#include <map>

#include "src/sis/byte_source.h"
#include "src/sis9/field_header.h"
#include "src/sis9/sis9_reader.h"
#include "src/sis9/sis9_verify.h"
#include "tests/sis9/package_writer.h"

namespace tovrin::sis9 {
namespace {

using test::Bytes;

struct Read {
    Package package;
    Verification verification;
    std::string error;
};

Read read(const Bytes& bytes) {
    Read r;
    sis::MemorySource source(bytes.data(), bytes.size());
    if (!readPackage(source, &r.package, &r.error)) return r;
    r.verification = verifyPackage(source, r.package);
    return r;
}

const Check* check(const Read& r, const std::string& what) {
    for (const Check& c : r.verification.checks) {
        if (c.what == what) return &c;
    }
    return nullptr;
}

test::Package9 sample() {
    test::Package9 p;
    p.controller.languages = {1, 2};
    p.controller.names = {"Demo", "Demo FR"};
    p.controller.files = {{"!:\\private\\E0000001\\hello.txt", "Hello\n"},
                          {"!:\\sys\\bin\\a.exe", std::string(5000, 'a'), kOpRun, kRunInstall,
                           true, 0x0009E000},
                          {"c:\\x.ini", "", kOpNull, 0, true, -1, true}};
    return p;
}

// Every layout gives the same package: stored or deflated controller, short or long headers.
TEST(Sis9Reader, EveryLayoutReadsTheSameValues) {
    for (int layout = 0; layout < 4; ++layout) {
        SCOPED_TRACE(layout);
        test::Package9 p = sample();
        p.deflateController = layout & 1;
        p.longForm = layout & 2;
        const Read r = read(test::writePackage9(p));
        ASSERT_EQ(r.error, "");
        const Controller& c = r.package.controller;
        EXPECT_EQ(r.package.form, Form::Package);
        EXPECT_EQ(r.package.uid3, 0xE0000001u);
        EXPECT_EQ(c.uid, 0xE0000001u);
        EXPECT_EQ(c.uniqueVendor, "Demo");
        ASSERT_EQ(c.names.size(), 2u);
        EXPECT_EQ(c.names[1], "Demo FR");
        EXPECT_EQ(c.languages, (std::vector<uint32_t>{1, 2}));
        EXPECT_EQ(c.version.major, 1);
        EXPECT_EQ(c.year * 10000 + c.month * 100 + c.day, 20240601);
        EXPECT_EQ(c.hour, 12);
        ASSERT_EQ(c.targets.size(), 1u);
        EXPECT_EQ(c.targets[0].uid, kS60ThirdEditionUid);
        EXPECT_TRUE(c.targets[0].hasRange);
        EXPECT_FALSE(c.targets[0].hasTo);
        ASSERT_EQ(c.install.files.size(), 3u);
        const FileDescription& exe = c.install.files[1];
        EXPECT_EQ(exe.target, "!:\\sys\\bin\\a.exe");
        EXPECT_EQ(exe.operation, kOpRun);
        EXPECT_EQ(exe.capabilityBits(), 0x0009E000u);
        EXPECT_EQ(exe.uncompressedLength, 5000u);
        EXPECT_LT(exe.length, 5000u);
        EXPECT_FALSE(c.install.files[0].hasCapabilities);
        EXPECT_EQ(findFileData(r.package, c, c.install.files[2]), nullptr);  // FN: no data
        EXPECT_TRUE(r.verification.verified());
        EXPECT_EQ(r.verification.count(Status::Warning), 0u);
        EXPECT_EQ(r.verification.files.size(), 3u);
        EXPECT_EQ(r.verification.files.at(&exe).size, 5000u);
    }
}

// The data unit of a controller is the sum of the data indices down to it. Each file holds
// different bytes, so a file read from the wrong unit fails its hash.
TEST(Sis9Reader, DataUnitsAreFoundBySummingTheIndices) {
    auto leaf = [](const std::string& name) {
        test::Controller9 c;
        c.uid = 0xE0000100 + uint32_t(name.size());
        c.files = {{"!:\\" + name + ".txt", "data of " + name}};
        return c;
    };
    test::Package9 p;
    p.controller.files = {{"!:\\top.txt", "data of top"}};
    test::Controller9 a = leaf("a"), b = leaf("bb");
    b.embedded = {leaf("dddd"), leaf("eeeee")};  // indices 1 and 2 below b (index 2): 3 and 4
    p.controller.embedded = {a, b};              // indices 1 and 2
    const Read r = read(test::writePackage9(p));
    ASSERT_EQ(r.error, "");
    std::map<std::string, uint64_t> units;
    forEachController(r.package.controller, [&](const Controller& x) {
        units[x.install.files.at(0).target] = x.dataUnit;
    });
    const std::map<std::string, uint64_t> expected = {
        {"!:\\top.txt", 0}, {"!:\\a.txt", 1}, {"!:\\bb.txt", 2}, {"!:\\dddd.txt", 3},
        {"!:\\eeeee.txt", 4}};
    EXPECT_EQ(units, expected);
    EXPECT_TRUE(r.verification.verified()) << r.verification.checks.back().detail;
}

TEST(Sis9Reader, FilesUnderConditionsCarryTheirGuard) {
    test::Package9 p;
    const Bytes language1 = test::expression9(
        Operator::Equal, 0,
        {test::expression9(Operator::Attribute, kAttributeLanguage),
         test::expression9(Operator::Number, 1)});
    const Bytes option2 = test::expression9(Operator::Option, 2);
    const Bytes otherwise =
        test::expression9(Operator::Not, 0, {test::expression9(Operator::Number, 0)});
    p.controller.files = {{"!:\\always.txt", "a"}};
    p.controller.ifs = {{language1,
                         {{"!:\\en.txt", "en"}},
                         {{option2, {{"!:\\opt.txt", "o"}}}, {otherwise, {{"!:\\else.txt", "e"}}}}}};
    const Read r = read(test::writePackage9(p));
    ASSERT_EQ(r.error, "");
    std::map<std::string, std::string> guards;
    forEachFile(r.package.controller, [&](const FileDescription& f, const std::string& c) {
        guards[f.target] = c;
    });
    const std::map<std::string, std::string> expected = {
        {"!:\\always.txt", ""},
        {"!:\\en.txt", "Language = 1"},
        {"!:\\opt.txt", "NOT (Language = 1) AND (option2)"},
        {"!:\\else.txt", "NOT (Language = 1) AND NOT (option2)"}};
    EXPECT_EQ(guards, expected);
    EXPECT_TRUE(r.verification.verified());
}

// A long ELSEIF chain names the earlier branches by number rather than repeat them all.
TEST(Sis9Reader, LongChainsKeepGuardsShort) {
    test::Package9 p;
    test::If9 chain{test::expression9(Operator::Option, 1), {{"!:\\0.txt", "0"}}, {}};
    for (int k = 2; k <= 400; ++k) {
        chain.elseIfs.push_back(
            {test::expression9(Operator::Option, k), {{"!:\\" + std::to_string(k) + ".txt", "x"}}});
    }
    p.controller.ifs = {chain};
    const Read r = read(test::writePackage9(p));
    ASSERT_EQ(r.error, "");
    std::string last;
    forEachFile(r.package.controller,
                [&](const FileDescription&, const std::string& c) { last = c; });
    EXPECT_LT(last.size(), 4096u + 200u);
    EXPECT_NE(last.find("NOT (option1) AND NOT (the "), std::string::npos) << last;
    EXPECT_NE(last.find(" AND (option400)"), std::string::npos) << last;
}

// Both stub forms: a lone controller field, and a length followed by a controller body.
TEST(Sis9Reader, StubsReadWithoutData) {
    test::Controller9 c;
    c.year = 2004;
    c.month = 1;
    c.files = {{"z:\\sys\\bin\\lib.dll", "", kOpInstall, 0, true, -1, true}};
    std::vector<std::vector<Bytes>> units;
    const Bytes lone = test::writeController9(c, false, &units);
    Bytes bare(lone.begin() + 4, lone.end());
    for (const Bytes* bytes : std::vector<const Bytes*>{&lone, &bare}) {
        const Read r = read(*bytes);
        ASSERT_EQ(r.error, "");
        EXPECT_EQ(r.package.form, bytes == &lone ? Form::Stub : Form::BareController);
        EXPECT_TRUE(r.package.units.empty());
        EXPECT_EQ(r.package.controller.install.files.at(0).target, "z:\\sys\\bin\\lib.dll");
        EXPECT_TRUE(r.verification.verified());
        EXPECT_EQ(r.verification.files.begin()->second.hasData, false);
    }
}

// One rule per row: what a package holds, and what the named check then says.
TEST(Sis9Reader, ChecksSayWhatTheyFound) {
    const struct {
        const char* name;
        void (*spec)(test::Package9&);
        void (*bytes)(Bytes&);
        const char* check;
        Status status;
        const char* detail;  // a part of the check's text
    } kCases[] = {
        {"exact checksums", nullptr, nullptr, "controller checksum", Status::Ok, "stored 0x"},
        {"the SDK compiler's checksum",
         [](test::Package9& p) { p.stampedControllerChecksum = true; }, nullptr,
         "controller checksum", Status::Warning, "the SDK compiler's value"},
        {"a checksum no rule gives", nullptr, [](Bytes& b) { b[0x18 + 8] ^= 1; },
         "controller checksum", Status::Warning, "no rule gives"},
        {"a wrong data checksum", nullptr, [](Bytes& b) { b[0x24 + 8] ^= 1; }, "data checksum",
         Status::Warning, "phones do not check it"},
        {"no checksums", [](test::Package9& p) { p.controllerChecksum = p.dataChecksum = false; },
         nullptr, "data checksum", Status::Ok, "none stored"},
        {"a wrong UID4", nullptr, [](Bytes& b) { b[0x0C] ^= 1; }, "UID4", Status::Failed,
         "computed"},
        {"UID3 other than the package's", nullptr, [](Bytes& b) { b[0x08] ^= 1; }, "UID3",
         Status::Failed, "but the package UID is 0xE0000001"},
        {"a file whose hash is not its data's",
         [](test::Package9& p) { p.controller.files[0].wrongHash = true; }, nullptr,
         "controller/install block/file 0", Status::Failed, "of the data, stored"},
        {"a stored file", [](test::Package9& p) { p.controller.files[0].deflate = false; },
         nullptr, "controller/install block/file 0", Status::Ok,
         "SHA-1 1d229271928d3f9e2bb0375bd6ce5db6c6d348d9, 6 bytes"},
        {"names that do not match the languages",
         [](test::Package9& p) { p.controller.languages = {1, 2}; }, nullptr,
         "controller/languages", Status::Failed, "2 languages, but names 1"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        test::Package9 p;
        p.deflateController = false;  // fixed offsets for the byte changes
        p.controller.files = {{"!:\\private\\E0000001\\hello.txt", "Hello\n"}};
        if (c.spec) c.spec(p);
        Bytes bytes = test::writePackage9(p);
        if (c.bytes) c.bytes(bytes);
        const Read r = read(bytes);
        ASSERT_EQ(r.error, "");
        const Check* found = check(r, c.check);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->status, c.status) << found->detail;
        EXPECT_NE(found->detail.find(c.detail), std::string::npos) << found->detail;
        EXPECT_EQ(r.verification.verified(), c.status != Status::Failed);
    }
}

}  // namespace
}  // namespace tovrin::sis9
