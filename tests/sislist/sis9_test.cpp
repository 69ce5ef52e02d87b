// The lister over the Symbian 9 packages of tests/data/sis9 (written by the tests' package
// writer): each listing equals its reviewed golden file; extraction puts every file at its
// destination and each embedded package whole beside them; the catalogue holds the keys the
// schema names, for both families.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "src/platform/terminal.h"
#include "tests/support/temp_dir.h"
#include "tools/sislist/sislist.h"

namespace tovrin::sislist {
namespace {

namespace fs = std::filesystem;

const std::string kData = std::string(TOVRIN_TEST_DATA_DIR) + "/";

struct Result {
    int status;
    std::string out, err;
};

Result runWith(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = run(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(Sis9Listing, EachPackageListsAsReviewed) {
    for (const char* name : {"plain", "conditions", "embedded", "signed", "long-lengths", "stub",
                             "bare-controller"}) {
        SCOPED_TRACE(name);
        const Result r =
            runWith({"--at", "2027-01-01", kData + "sis9/" + name + ".sisx"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, test::readFile(kData + "listings/sis9-" + name + ".expected"));
    }
}

TEST(Sis9Listing, ExtractionWritesEveryFileAndEachEmbeddedPackage) {
    const struct {
        const char* package;
        std::map<std::string, std::string> files;  // path below the folder -> content
    } kCases[] = {
        {"plain",
         {{"!/private/E0000001/hello.txt", "Hello\n"},
          {"!/sys/bin/demo.exe", std::string(3000, 'x')},
          {"file2", "Terms"}}},
        {"conditions",
         {{"!/r/demo.rsc", "english"}, {"!/r/demo.rsc.1", "french"}, {"!/data/n8.txt", "n8"},
          {"!/data/help.txt", "help"}, {"!/data/none.txt", "none"}}},
        {"embedded", {{"!/outer.txt", "outer"}, {"!/inner.txt", "inner"}, {"embedded-E0000002.sis", ""}}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.package);
        test::TempDir dir;
        const Result r = runWith({"-x", dir.str(), kData + "sis9/" + c.package + ".sisx"});
        EXPECT_EQ(r.status, 0) << r.err;
        std::map<std::string, std::string> found;
        for (const auto& e : fs::recursive_directory_iterator(dir.path())) {
            if (e.is_regular_file()) {
                found[fs::relative(e.path(), dir.path()).generic_string()] = test::readFile(e.path());
            }
        }
        ASSERT_EQ(found.size(), c.files.size());
        for (const auto& f : c.files) {
            ASSERT_EQ(found.count(f.first), 1u) << f.first;
            if (!f.second.empty()) EXPECT_EQ(found[f.first], f.second) << f.first;
        }
        // An embedded package comes out whole: it lists, verifies and holds its own file.
        for (const auto& f : found) {
            if (f.first.rfind("embedded-", 0) != 0) continue;
            const Result inner = runWith({"--at", "2027-01-01", (dir.path() / f.first).string()});
            EXPECT_EQ(inner.status, 0) << inner.err;
            EXPECT_NE(inner.out.find("\"!:\\inner.txt\""), std::string::npos);
            EXPECT_NE(inner.out.find("check controller/chain 0: ok"), std::string::npos);
            EXPECT_NE(inner.out.find("check data checksum: ok"), std::string::npos);
        }
    }
}

TEST(Sis9Listing, StubsAreNotExtracted) {
    test::TempDir dir;
    const Result r = runWith({"-x", (dir.path() / "out").string(), kData + "sis9/stub.sisx"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("\nnothing extracted: a stub holds no file data\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.path() / "out"));
}

TEST(Sis9Listing, DecompilingIsForPre9Packages) {
    test::TempDir dir;
    const std::string plain = kData + "sis9/plain.sisx";
    const Result r = runWith({"--pkg", (dir.path() / "src").string(), plain});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, plain + ": a Symbian 9 package: --pkg and --pkg-all take pre-9 packages\n");
    EXPECT_FALSE(fs::exists(dir.path() / "src"));
}

TEST(Sis9Listing, DamageIsOneLineNamingTheField) {
    test::TempDir dir;
    std::string bytes = test::readFile(kData + "sis9/plain.sisx");
    bytes.resize(bytes.size() - 3);
    const fs::path cut = dir.write("cut.sisx", bytes);
    const Result r = runWith({cut.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, cut.string() + ": contents: length 0x268 runs past its parent\n");
}

// One object per package, in the order given, with the keys of both families; the status is
// 1 as soon as one package does not read or verify.
TEST(Sis9Catalogue, OneLinePerPackageForBothFamilies) {
    test::TempDir dir;
    const fs::path bad = dir.write("bad.SISX", "not a package at all");
    const std::string pre9 = kData + "makesis/s60-wizard/expected.sis";
    const Result r = runWith({"--json", "--at", "2027-01-01", kData + "sis9/signed.sisx",
                              kData + "sis9/stub.sisx", kData + "sis9/embedded.sisx", pre9,
                              bad.string()});
    EXPECT_EQ(r.status, 1);
    std::vector<nlohmann::json> lines;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(lines.size(), 5u);

    const nlohmann::json& s = lines[0];
    EXPECT_EQ(s["format"], "SIS9");
    EXPECT_EQ(s["stub"], false);
    EXPECT_EQ(s["uid"], "0xE0000001");
    EXPECT_EQ(s["version"], "1.0.0");
    EXPECT_EQ(s["names"], nlohmann::json({{"EN", "Demo"}}));
    EXPECT_EQ(s["vendor"], "Demo");
    EXPECT_EQ(s["languages"], nlohmann::json({"EN"}));
    ASSERT_EQ(s["files"].size(), 4u);
    EXPECT_EQ(s["files"][0]["sha1"], "1d229271928d3f9e2bb0375bd6ce5db6c6d348d9");
    EXPECT_EQ(s["files"][0]["hash"], s["files"][0]["sha1"]);
    EXPECT_EQ(s["files"][0]["size"], 6);
    EXPECT_TRUE(s["files"][3]["size"].is_null());  // FN: no data
    EXPECT_TRUE(s["files"][3]["hash"].is_null());
    ASSERT_EQ(s["signatures"].size(), 2u);
    EXPECT_EQ(s["signatures"][0]["algorithm"], "RSA-SHA1");
    EXPECT_EQ(s["signatures"][0]["verified"], true);
    EXPECT_EQ(s["signatures"][0]["certificates"][1]["subject"], "CN=Test CA,O=Tovrin Tests");
    EXPECT_EQ(s["signatures"][1]["certificates"][0]["not_after"], "2002-01-01T00:00:00Z");
    EXPECT_EQ(s["signatures"][1]["certificates"][0]["expired"], true);
    EXPECT_EQ(s["verified"], true);

    EXPECT_EQ(lines[1]["stub"], true);
    EXPECT_TRUE(lines[1]["files"][0]["sha1"].is_null());

    const nlohmann::json& e = lines[2];
    ASSERT_EQ(e["embedded"].size(), 1u);
    EXPECT_EQ(e["embedded"][0]["uid"], "0xE0000002");
    EXPECT_EQ(e["embedded"][0]["files"][0]["destination"], "!:\\inner.txt");
    EXPECT_EQ(e["embedded"][0]["signatures"][0]["algorithm"], "DSA-SHA1");
    EXPECT_EQ(e["files"].size(), 1u);  // the embedded package's files are its own

    const nlohmann::json& p = lines[3];
    EXPECT_EQ(p["format"], "ER6");
    EXPECT_TRUE(p["vendor"].is_null());
    EXPECT_TRUE(p["files"][0]["hash"].is_null());
    EXPECT_EQ(p["files"][0]["sha1"].get<std::string>().size(), 40u);
    EXPECT_EQ(p["verified"], true);

    EXPECT_EQ(lines[4]["file"], bad.string());
    EXPECT_EQ(lines[4].size(), 2u);
    EXPECT_TRUE(lines[4]["error"].is_string());
}

TEST(Sis9Catalogue, FoldersAreWalkedForPackagesOfAnyCase) {
    test::TempDir dir;
    const std::string plain = test::readFile(kData + "sis9/plain.sisx");
    dir.write("a/One.SIS", plain);
    dir.write("a/b/two.sisx", plain);
    dir.write("a/b/notes.txt", "not listed");
    Result r = runWith({"--json", "-r", (dir.path() / "a").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2);
    EXPECT_NE(r.out.find("One.SIS"), std::string::npos);
    EXPECT_NE(r.out.find("two.sisx"), std::string::npos);
    if (!standardErrorIsTerminal()) EXPECT_EQ(r.err, "");  // progress only on a terminal

    dir.write("a/broken.sis", "broken");
    r = runWith({"--json", "-r", (dir.path() / "a").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3);
}

}  // namespace
}  // namespace tovrin::sislist
