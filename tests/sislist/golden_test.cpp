// The lister over every fixture package: the listing equals its reviewed golden file, and the
// extracted files equal the case's sources byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "tests/sis/package_builder.h"
#include "tests/support/temp_dir.h"
#include "tools/sislist/sislist.h"

namespace tovrin::sislist {
namespace {

namespace fs = std::filesystem;

const std::string kFixtures = std::string(TOVRIN_TEST_DATA_DIR) + "/";
const std::string kGolden = std::string(TOVRIN_TEST_DATA_DIR) + "/listings/";

// How an extracted file is compared with its source. FT text is stored as the UTF-16LE
// conversion of the UTF-8 source (no BOM added), and extraction writes the stored form, so the
// expectation is that conversion.
enum class Stored { Same, Utf16le };

struct Source {
    std::string path;  // relative to the case folder
    Stored stored = Stored::Same;
};

struct Case {
    std::string folder;                       // below the fixtures
    std::string golden;                       // file name in tests/sislist/data
    std::map<std::string, Source> extracted;  // path below the extraction folder -> source
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.folder; }

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    std::string name = info.param.golden.substr(0, info.param.golden.find('.'));
    for (char& c : name) {
        if (c == '-') c = '_';
    }
    return name;
}

const Case kCases[] = {
    {"makesis/s60-wizard",
     "s60-wizard.expected",
     {{"!/system/apps/Demo/Demo.aif", {"system/apps/Demo/Demo.aif"}},
      {"!/system/apps/Demo/Demo_caption.rsc", {"system/apps/Demo/Demo_caption.rsc"}},
      {"!/system/apps/Demo/Demo.rsc", {"system/apps/Demo/Demo.rsc"}},
      {"!/system/apps/Demo/Demo.app", {"system/apps/Demo/Demo.app"}},
      {"c/about.txt0", {"about.txt", Stored::Utf16le}}}},
    {"makesis/no-language",
     "no-language.expected",
     {{"!/system/apps/Hello/hello.txt", {"hello.txt"}}}},
    {"makesis/two-languages",
     "two-languages.expected",
     {{"!/system/apps/Demo2/one.bin", {"one.bin"}}, {"!/system/apps/Demo2/two.bin", {"two.bin"}}}},
    {"makesis/ft-text",
     "ft-text.expected",
     {{"!/system/apps/Texts/data.bin", {"data.bin"}},
      {"readme.txt0", {"readme.txt", Stored::Utf16le}},
      {"c/about.txt0", {"about.txt", Stored::Utf16le}}}},
    {"makesis/empty-file",
     "empty-file.expected",
     {{"!/system/apps/Empty/empty.dat", {"empty.dat"}},
      {"!/system/apps/Empty/small.dat", {"small.dat"}}}},
    {"makesis/large-binary",
     "large-binary.expected",
     {{"!/system/apps/Large/big.bin", {"big.bin"}},
      {"!/system/apps/Large/tiny.bin", {"tiny.bin"}}}},
    {"makesis/nested-folders",
     "nested-folders.expected",
     {{"!/system/apps/Nested/data/levels/world1/map.dat", {"data/levels/world1/map.dat"}},
      {"!/system/apps/Nested/data/levels/world2/map.dat", {"data/levels/world2/map.dat"}},
      {"!/system/apps/Nested/data/sounds/intro.wav", {"data/sounds/intro.wav"}}}},
    {"makesis/fr-fn",
     "fr-fn.expected",  // the FN record has no data and gives no file
     {{"!/system/apps/Runner/main.app", {"main.app"}},
      {"!/system/apps/Runner/setup.exe", {"setup.exe"}},
      {"!/system/apps/Runner/cleanup.exe", {"cleanup.exe"}}}},
    {"makesis/nc-option",
     "nc-option.expected",
     {{"!/system/apps/Raw/raw1.bin", {"raw1.bin"}}, {"!/system/apps/Raw/raw2.txt", {"raw2.txt"}}}},
    {"makesis/type-sy", "type-sy.expected", {{"!/system/libs/demolib.dll", {"demolib.dll"}}}},
    {"makesis/language-block",
     "language-block.expected",
     {{"!/system/apps/Lang/common.bin", {"common.bin"}},
      {"!/system/apps/Lang/demo.rsc.EN", {"text/demo.r01"}},
      {"!/system/apps/Lang/demo.rsc.FR", {"text/demo.r02"}},
      {"!/system/apps/Lang/demo.rsc.GE", {"text/demo.r03"}}}},
    // Three records share lang.bin: suffixes follow the stored order (ELSE branch first).
    {"makesis/if-block",
     "if-block.expected",
     {{"!/system/apps/Cond/base.bin", {"base.bin"}},
      {"!/system/apps/Cond/lang.bin", {"en.bin"}},
      {"!/system/apps/Cond/extra.bin", {"m2.bin"}},
      {"!/system/apps/Cond/lang.bin.1", {"m.bin"}},
      {"!/system/apps/Cond/lang.bin.2", {"fr.bin"}}}},
    {"reference/test", "reference-test.expected", {{"!/test.txt", {"test.txt"}}}},
    {"reference/test2",
     "reference-test2.expected",
     {{"!/b.bin", {"a/b.bin"}}, {"!/c.bin", {"a/c.bin"}}}},
};

class Fixture : public ::testing::TestWithParam<Case> {
protected:
    std::string package() const { return kFixtures + GetParam().folder + "/expected.sis"; }
};

TEST_P(Fixture, ListingMatchesGolden) {
    const std::string golden = test::readFile(kGolden + GetParam().golden);
    ASSERT_NE(golden, "<missing>");
    std::ostringstream out, err;
    EXPECT_EQ(run({package()}, out, err), 0);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(out.str(), golden);
}

TEST_P(Fixture, ExtractionMatchesSources) {
    test::TempDir dir;
    const std::string folder = (dir.path() / "out").string();
    std::ostringstream out, err;
    ASSERT_EQ(run({"-x", folder, package()}, out, err), 0) << err.str();

    std::map<std::string, std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        found[fs::relative(entry.path(), folder).generic_string()] = test::readFile(entry.path());
    }
    std::map<std::string, std::string> expected;
    for (const auto& [path, source] : GetParam().extracted) {
        const std::string bytes = test::readFile(kFixtures + GetParam().folder + "/" + source.path);
        ASSERT_NE(bytes, "<missing>") << source.path;
        expected[path] = source.stored == Stored::Utf16le ? test::utf16le(bytes) : bytes;
    }
    EXPECT_EQ(found.size(), expected.size());
    for (const auto& [path, bytes] : expected) {
        ASSERT_TRUE(found.count(path)) << path << " not extracted";
        EXPECT_TRUE(found[path] == bytes) << path << " differs from its source";
    }
    // The listing names every file written, and is the golden listing before that.
    EXPECT_EQ(out.str().rfind(test::readFile(kGolden + GetParam().golden), 0), 0u);
    for (const auto& [path, bytes] : expected) {
        EXPECT_NE(out.str().find(": " + path + "\n"), std::string::npos) << path;
    }
}

INSTANTIATE_TEST_SUITE_P(All, Fixture, ::testing::ValuesIn(kCases), caseName);

}  // namespace
}  // namespace tovrin::sislist
