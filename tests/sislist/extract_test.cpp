#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "src/sis/byte_source.h"
#include "tests/sis/package_builder.h"
#include "tests/support/temp_dir.h"
#include "tools/sislist/extract.h"

namespace tovrin::sislist {
namespace {

namespace fs = std::filesystem;

sis::Package parse(const std::string& bytes) {
    sis::MemorySource source(bytes.data(), bytes.size());
    sis::Package package;
    std::string err;
    EXPECT_TRUE(sis::readPackage(source, &package, &err)) << err;
    return package;
}

struct NameCase {
    const char* name;
    std::string source;
    std::string destination;
    std::string path;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

class ExtractionName : public ::testing::TestWithParam<NameCase> {};

TEST_P(ExtractionName, MapsThePhonePath) {
    test::PackageBuilder b;
    b.file(0, 0, GetParam().source, GetParam().destination, {"x"});
    EXPECT_EQ(extractionName(parse(b.build()), 0, 0), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExtractionName,
    ::testing::Values(
        NameCase{"DriveBecomesFolder", "s", "!:\\system\\apps\\x.app", "!/system/apps/x.app"},
        NameCase{"ParentsDropped", "s", "c:\\..\\..\\etc\\passwd", "c/etc/passwd"},
        NameCase{"AllParents", "s", "..\\..", "record0"},
        NameCase{"DotsAndEmptyParts", "s", "c:\\a\\.\\\\b", "c/a/b"},
        NameCase{"ForwardSlashes", "s", "/abs//path", "abs/path"},
        NameCase{"ReservedCharacters", "s", "c:\\a<b>|?*\"x:y.txt", "c/a_b_____x_y.txt"},
        NameCase{"ControlCharacters", "s", std::string("c:\\a\tb\x01.txt"), "c/a_b_.txt"},
        NameCase{"TrailingDotsAndBlanks", "s", "c:\\dir. \\name. .", "c/dir/name"},
        NameCase{"NoFileNameTakesSourceName", "X:\\MKS0\\about.txt0", "c:\\", "c/about.txt0"},
        NameCase{"EmptyTakesSourceName", "X:\\MKS0\\readme.txt0", "", "readme.txt0"},
        NameCase{"SourceWithSlashes", "dir/sub/raw.bin", "", "raw.bin"},
        NameCase{"NothingToNameBy", "", "", "record0"},
        NameCase{"LastPartDropped", "s", "c:\\dir\\..", "c/dir/record0"}),
    [](const ::testing::TestParamInfo<NameCase>& info) { return info.param.name; });

TEST(ExtractionNameForks, LanguageCodeOrNumber) {
    test::PackageBuilder b;
    b.languages = {1, 48, 500};
    b.names = {"a", "b", "c"};
    b.file(0, 0, "s", "!:\\r.rsc", {"1", "2", "3"}, true);
    const sis::Package p = parse(b.build());
    EXPECT_EQ(extractionName(p, 0, 0), "!/r.rsc.EN");
    EXPECT_EQ(extractionName(p, 0, 1), "!/r.rsc.SA");
    EXPECT_EQ(extractionName(p, 0, 2), "!/r.rsc.500");
}

struct Extraction {
    bool ok = false;
    std::vector<Extracted> written;
    std::vector<std::string> errors;
};

Extraction extract(const std::string& bytes, const std::string& folder) {
    sis::MemorySource source(bytes.data(), bytes.size());
    Extraction x;
    x.ok = extractPackage(source, parse(bytes), folder, &x.written, &x.errors);
    return x;
}

std::vector<std::string> filesBelow(const fs::path& root) {
    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (!e.is_directory()) files.push_back(fs::relative(e.path(), root).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(Extract, SameNameInAnyCaseGetsASuffix) {
    test::PackageBuilder b;
    b.file(0, 0, "s", "c:\\A.txt", {"first"});
    b.file(0, 0, "s", "c:\\a.TXT", {"second"});
    b.file(0, 0, "s", "c:\\a.txt", {"third"});
    test::TempDir dir;
    const Extraction x = extract(b.build(), dir.str());
    ASSERT_TRUE(x.ok);
    ASSERT_EQ(x.written.size(), 3u);
    EXPECT_EQ(x.written[0].path, "c/A.txt");
    EXPECT_EQ(x.written[1].path, "c/a.TXT.1");
    EXPECT_EQ(x.written[2].path, "c/a.txt.2");
    EXPECT_EQ(test::readFile(dir.path() / "c" / "a.txt.2"), "third");
}

// Whatever the package names, nothing lands outside the folder.
TEST(Extract, HostilePathsStayInside) {
    test::PackageBuilder b;
    b.file(0, 0, "s", "..\\..\\escape.txt", {"1"});
    b.file(0, 0, "s", "c:\\..\\..\\..\\escape2.txt", {"2"});
    b.file(0, 0, "s", "/tmp/escape3.txt", {"3"});
    test::TempDir dir;
    const fs::path out = dir.path() / "a" / "b" / "out";
    const Extraction x = extract(b.build(), out.string());
    ASSERT_TRUE(x.ok);
    EXPECT_EQ(filesBelow(dir.path()),
              (std::vector<std::string>{"a/b/out/c/escape2.txt", "a/b/out/escape.txt",
                                        "a/b/out/tmp/escape3.txt"}));
}

TEST(Extract, RefusesToWriteThroughASymbolicLink) {
    test::TempDir dir, elsewhere;
    fs::create_directories(dir.path() / "out");
    std::error_code ec;
    fs::create_directory_symlink(elsewhere.path(), dir.path() / "out" / "c", ec);
    if (ec) GTEST_SKIP() << "cannot create a symbolic link here: " << ec.message();
    test::PackageBuilder b;
    b.file(0, 0, "s", "c:\\x.txt", {"x"});
    b.file(0, 0, "s", "d:\\y.txt", {"y"});
    const Extraction x = extract(b.build(), (dir.path() / "out").string());
    EXPECT_FALSE(x.ok);
    ASSERT_EQ(x.errors.size(), 1u);
    EXPECT_EQ(x.errors[0], "record 0 fork 0: " + (dir.path() / "out" / "c").string() +
                               ": is a symbolic link, not written through");
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
    ASSERT_EQ(x.written.size(), 1u);  // the other file is still written
    EXPECT_EQ(x.written[0].path, "d/y.txt");
}

// A fork whose data does not verify is not written, not even in part; the others are.
TEST(Extract, DamagedForkLeavesNoFile) {
    test::PackageBuilder b;
    b.file(0, 0, "s", "c:\\good.bin", {std::string(5000, 'g')});
    b.file(0, 0, "s", "c:\\bad.bin", {std::string(100000, 'b') + "tail"});
    std::string bytes = b.build();
    const sis::Package p = parse(bytes);
    const sis::Fork& bad = p.records[1].forks[0];
    bytes[bad.dataPtr + bad.storedLength - 1] ^= 1;  // Adler-32: found only at the very end
    test::TempDir dir;
    const Extraction x = extract(bytes, dir.str());
    EXPECT_FALSE(x.ok);
    ASSERT_EQ(x.errors.size(), 1u);
    EXPECT_NE(x.errors[0].find("record 1 fork 0: "), std::string::npos);
    EXPECT_NE(x.errors[0].find("incorrect data check"), std::string::npos);
    EXPECT_EQ(filesBelow(dir.path()), std::vector<std::string>{"c/good.bin"});
}

TEST(Extract, NullRecordsGiveNoFile) {
    test::PackageBuilder b;
    b.file(static_cast<uint32_t>(sis::FileType::Null), 0, "", "c:\\settings.ini", {""});
    b.file(0, 0, "s", "c:\\empty.dat", {""});
    test::TempDir dir;
    const Extraction x = extract(b.build(), dir.str());
    ASSERT_TRUE(x.ok);
    EXPECT_EQ(filesBelow(dir.path()), std::vector<std::string>{"c/empty.dat"});
    EXPECT_EQ(test::readFile(dir.path() / "c" / "empty.dat"), "");
}

}  // namespace
}  // namespace tovrin::sislist
