#include <gtest/gtest.h>

#include "src/app/uid_import.h"
#include "tests/support/fake_window.h"
#include "tests/support/temp_dir.h"

using namespace tovrin;

namespace {

struct Bytes {
    std::string first;
    std::string uid;
};

class UidFromFile : public ::testing::TestWithParam<Bytes> {
protected:
    test::TempDir dir;
    test::FakeWindow w;
};

TEST_P(UidFromFile, SetsTheBoxFromTheFirstFourBytes) {
    auto file = dir.write("x.sis", GetParam().first);
    w.fileAnswers.push_back({true, file.string()});
    readUi_Click(w);
    EXPECT_EQ(w.text(Control::txtUID), GetParam().uid);
    EXPECT_TRUE(w.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, UidFromFile,
    ::testing::Values(Bytes{std::string("\x91\x5B\x00\x10", 4) + std::string(60, 'x'), "10005B91"},
                      Bytes{std::string("\x0A\x00\x00\x01", 4), "0100000A"},
                      Bytes{std::string(4, '\0') + "more", "00000000"},
                      Bytes{std::string(4, '\xFF'), "FFFFFFFF"},
                      Bytes{"not a package at all", "20746F6E"},
                      Bytes{std::string("\x12\x34", 2), "00003412"},  // missing bytes count as 00
                      Bytes{"", "00000000"}));

TEST(UidImport, AsksForASisFile) {
    test::FakeWindow w;
    w.fileAnswers.push_back({false, ""});
    readUi_Click(w);
    ASSERT_EQ(w.fileDialogCalls.size(), 1u);
    EXPECT_EQ(w.fileDialogCalls[0],
              (std::vector<std::string>{"Open a sis file", "*.sis", "*.sis"}));
}

TEST(UidImport, CancelChangesNothing) {
    test::FakeWindow w;
    w.setText(Control::txtUID, "ABCDEF01");
    w.fileAnswers.push_back({false, ""});
    readUi_Click(w);
    EXPECT_EQ(w.text(Control::txtUID), "ABCDEF01");
    EXPECT_TRUE(w.messages.empty());
}

TEST(UidImport, UnreadableFileIsNamedAndChangesNothing) {
    test::TempDir dir;
    test::FakeWindow w;
    w.setText(Control::txtUID, "ABCDEF01");
    for (std::string path :
         {(dir.path() / "missing.sis").string(), dir.str()}) {  // missing, a folder
        w.fileAnswers.push_back({true, path});
        readUi_Click(w);
        EXPECT_EQ(w.text(Control::txtUID), "ABCDEF01") << path;
        ASSERT_FALSE(w.messages.empty());
        EXPECT_EQ(w.messages.back().title, "Error");
        EXPECT_NE(w.messages.back().text.find(path), std::string::npos);
    }
    EXPECT_EQ(w.messages.size(), 2u);
}

}  // namespace
