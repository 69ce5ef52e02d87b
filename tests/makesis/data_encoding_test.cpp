// The pieces that turn source files into package data: text conversion, the zlib streams,
// and the parallel packer against one-after-another.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <zlib.h>

#include "src/platform/local_text.h"
#include "src/sis/crc.h"
#include "src/text/utf8.h"
#include "tests/support/temp_dir.h"
#include "src/compiler/fork_encoder.h"
#include "src/compiler/fork_packer.h"
#include "src/pkg/text_encoding.h"

namespace {

namespace fs = std::filesystem;
using namespace tovrin;
using namespace tovrin::makesis;
using tovrin::test::TempDir;

const uint8_t* bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

struct ConversionCase {
    const char* name;
    std::string input;
    std::string utf16le;
};

void PrintTo(const ConversionCase& c, std::ostream* os) { *os << c.name; }

class ConversionTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(ConversionTest, GivesTheSameBytesWholeAndInPieces) {
    const ConversionCase& c = GetParam();
    Utf8Checker checker;
    checker.update(bytes(c.input), c.input.size());
    const TextEncoding encoding = detectEncoding(c.input.substr(0, 2), checker.valid());
    std::string whole, pieces;
    Utf16Converter a(encoding), b(encoding);
    a.convert(bytes(c.input), c.input.size(), whole);
    a.finish(whole);
    for (size_t i = 0; i < c.input.size(); ++i) b.convert(bytes(c.input) + i, 1, pieces);
    b.finish(pieces);
    EXPECT_EQ(whole, c.utf16le);
    EXPECT_EQ(pieces, c.utf16le);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ConversionTest,
    ::testing::Values(ConversionCase{"Utf8", "\xC3\xA9\xE2\x82\xAC\r\n",
                                     std::string("\xE9\0\xAC\x20\r\0\n\0", 8)},
                      ConversionCase{"Utf8BomKept", "\xEF\xBB\xBFh", std::string("\xFF\xFEh\0", 4)},
                      ConversionCase{"SupplementaryPlane", "\xF0\x9F\x98\x80",
                                     std::string("\x3D\xD8\x00\xDE", 4)},
                      ConversionCase{"Windows1252", "\x80\xE9\x9F",
                                     std::string("\xAC\x20\xE9\0\x78\x01", 6)},
                      ConversionCase{"Utf16LeUnchanged", std::string("\xFF\xFEh\0i\0", 6),
                                     std::string("\xFF\xFEh\0i\0", 6)},
                      ConversionCase{"Utf16BeSwapped", std::string("\xFE\xFF\0h\x20\xAC", 6),
                                     std::string("\xFF\xFEh\0\xAC\x20", 6)}),
    [](const ::testing::TestParamInfo<ConversionCase>& p) { return std::string(p.param.name); });

TEST(ScriptDecoding, DropsTheByteOrderMark) {
    EXPECT_EQ(decodeScript(std::string("\xFF\xFE&\0", 4)), u"&");
    EXPECT_EQ(decodeScript("\xEF\xBB\xBF&EN"), u"&EN");
    EXPECT_EQ(decodeScript("D\xE9mo"), u"D\u00e9mo");
}

// The wizard writes its script in the ANSI code page; in code page 936 the name 路 is C2 B7,
// which is valid UTF-8 as well ("·"), and must still be read as 路. Runs on Linux (UTF-8) and
// under wine with code pages 936 and 932; passed over where the code page lacks the name.
TEST(LocalCharactersInScripts, AreReadInTheAnsiCodePage) {
    const std::string name = localFromUtf8("\xE8\xB7\xAF");  // 路
    if (holdsCharacter(name, '?')) GTEST_SKIP() << "this code page lacks the name";
    EXPECT_EQ(decodeScript("#{\"" + name + "\"}"), u"#{\"\u8def\"}");
    EXPECT_EQ(decodeScript("\xEF\xBB\xBF#{\"\xC2\xB7\"}"), u"#{\"\u00b7\"}");  // UTF-8 with its BOM
}

// Files of mixed sizes and compressibility, from empty to over a megabyte.
std::vector<std::string> sampleFiles() {
    std::mt19937 random(42);
    std::vector<std::string> files;
    for (size_t size : {0, 1, 100, 65536, 65537, 300000, 1500000, 7, 250000, 4096}) {
        std::string data(size, '\0');
        const bool text = files.size() % 2 == 0;
        for (char& c : data)
            c = text ? "the quick brown fox "[random() % 20] : static_cast<char>(random());
        files.push_back(std::move(data));
    }
    return files;
}

std::string zlibOneShot(const std::string& data) {
    uLongf length = compressBound(data.size());
    std::string out(length, '\0');
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(&out[0]), &length, bytes(data), data.size(), 6),
              Z_OK);
    out.resize(length);
    return out;
}

class Collect : public ByteSink {
public:
    bool write(const uint8_t* data, size_t size, std::string*) override {
        bytes.append(reinterpret_cast<const char*>(data), size);
        return true;
    }
    std::string bytes;
};

TEST(ForkEncoder, StreamsEqualZlibOneShotCompression) {
    TempDir dir;
    ForkEncoder encoder(true);
    const std::vector<std::string> files = sampleFiles();
    for (size_t i = 0; i < files.size(); ++i) {
        Fork fork;
        fork.path = dir.write("f" + std::to_string(i), files[i]);
        Collect sink;
        ForkResult result;
        std::string error;
        ASSERT_TRUE(encoder.encode(fork, sink, result, &error)) << error;
        EXPECT_TRUE(sink.bytes == zlibOneShot(files[i])) << "file " << i;
        EXPECT_EQ(result.storedLength, sink.bytes.size());
        EXPECT_EQ(result.originalLength, files[i].size());
        EXPECT_EQ(result.crc, tovrin::sis::crc16(sink.bytes.data(), sink.bytes.size()));
    }
}

TEST(ForkEncoder, MissingFileIsAnErrorNamingIt) {
    ForkEncoder encoder(true);
    Fork fork;
    fork.path = "no-such-file.bin";
    Collect sink;
    ForkResult result;
    std::string error;
    EXPECT_FALSE(encoder.encode(fork, sink, result, &error));
    EXPECT_EQ(error, "cannot open no-such-file.bin");
}

class PackerTest : public ::testing::TestWithParam<bool> {};

TEST_P(PackerTest, ParallelOutputEqualsOneThreadAndLeavesNoScratchFiles) {
    const bool compress = GetParam();
    TempDir dir;
    Plan plan;
    plan.compress = compress;
    const std::vector<std::string> files = sampleFiles();
    std::string sequential;
    for (size_t i = 0; i < files.size(); ++i) {
        Fork fork;
        fork.path = dir.write("in/f" + std::to_string(i), files[i]);
        fork.sizeHint = files[i].size();
        plan.forks.push_back(fork);
        sequential += compress ? zlibOneShot(files[i]) : files[i];
    }
    for (unsigned threads : {1u, 2u, 5u}) {
        std::ostringstream package;
        PackOutcome outcome;
        ASSERT_TRUE(packForks(plan, &package, dir.path() / "scratch", threads, outcome))
            << outcome.error;
        EXPECT_TRUE(package.str() == sequential) << threads << " threads";
        EXPECT_EQ(outcome.length, sequential.size());
        EXPECT_EQ(outcome.crc, tovrin::sis::crc16(sequential.data(), sequential.size()));
        ASSERT_EQ(outcome.results.size(), files.size());
        for (size_t i = 0; i < files.size(); ++i)
            EXPECT_EQ(outcome.results[i].originalLength, files[i].size());
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
            << "scratch files left behind";
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, PackerTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return std::string(p.param ? "Compressed" : "Raw");
                         });

TEST(Packer, ReportsTheLineOfAFileThatCannotBeRead) {
    TempDir dir;
    Plan plan;
    Fork good;
    good.path = dir.write("good.bin", std::string(100000, 'g'));
    good.line = 2;
    Fork bad;
    bad.path = dir.path() / "gone.bin";
    bad.line = 3;
    plan.forks = {good, bad, good};
    std::ostringstream package;
    PackOutcome outcome;
    EXPECT_FALSE(packForks(plan, &package, dir.path() / "scratch", 2, outcome));
    EXPECT_EQ(outcome.errorLine, 3);
    EXPECT_EQ(outcome.error, "cannot open " + bad.path.string());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

}  // namespace
