#include <gtest/gtest.h>

#include "src/lang/language_list.h"
#include "src/platform/path.h"
#include "tests/support/fake_window.h"
#include "tests/support/temp_dir.h"

using namespace tovrin;

namespace {

struct FileForm {
    const char* what;
    std::string bytes;
    std::vector<std::string> entries;
};

class LanguageFileForms : public ::testing::TestWithParam<FileForm> {};

TEST_P(LanguageFileForms, GiveTheirEntries) {
    EXPECT_EQ(languageEntries(GetParam().bytes), GetParam().entries) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, LanguageFileForms,
    ::testing::Values(
        FileForm{"empty file", "", {}}, FileForm{"header only, no line end", "Languages", {}},
        FileForm{"header only, CR LF", "Languages\r\n", {}},
        FileForm{"CR LF at the end adds no entry",
                 "h\r\nSW - Swedish\r\nEN - English\r\n",
                 {"SW - Swedish", "EN - English"}},
        FileForm{"last line without line end", "h\r\nSW\r\nEN", {"SW", "EN"}},
        FileForm{"CR alone ends a line", "h\rSW\rEN\r", {"SW", "EN"}},
        FileForm{"LF alone ends a line", "h\nSW\nEN\n", {"SW", "EN"}},
        FileForm{"empty middle line is an empty entry", "h\r\nSW\r\n\r\nEN\r\n", {"SW", "", "EN"}},
        FileForm{"blanks kept", "h\r\n  FR - French  \r\n", {"  FR - French  "}}));

class LoadLangTest : public ::testing::Test {
protected:
    void writeList(const std::string& bytes) { dir.write("bin/languages.wzl", bytes); }
    test::TempDir dir;
    test::FakeWindow w;
};

TEST_F(LoadLangTest, SortsWithoutRegardToCaseBelowTheDefault) {
    // Entries equal but for case keep the file's order.
    writeList("header\r\nSW - Swedish\r\nen - English\r\nDA - Danish\r\nEN - English\r\n");
    LoadLang(w, dir.str());
    EXPECT_EQ(w.comboEntries(),
              (std::vector<std::string>{" Default - English", "DA - Danish", "en - English",
                                        "EN - English", "SW - Swedish"}));
    EXPECT_TRUE(w.messages.empty());
    EXPECT_EQ(w.text(Control::CmbLang), "");  // nothing selected
}

TEST_F(LoadLangTest, MissingFileLeavesTheDefaultAloneAndSaysSo) {
    LoadLang(w, dir.str());
    EXPECT_EQ(w.comboEntries(), std::vector<std::string>{" Default - English"});
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].text, "Error opening languages.wzl");
}

TEST_F(LoadLangTest, ShippedListHasOneValidCodePerLine) {
    const std::string shipped = test::readFile(std::string(TOVRIN_APP_DIR) + "/bin/languages.wzl");
    ASSERT_NE(shipped, "<missing>");
    auto entries = languageEntries(shipped);
    ASSERT_GE(entries.size(), 90u);
    for (const auto& e : entries) {
        ASSERT_GE(e.size(), 5u) << e;
        EXPECT_TRUE(isupper(static_cast<unsigned char>(e[0])) &&
                    isupper(static_cast<unsigned char>(e[1])) && e.substr(2, 3) == " - ")
            << e;
    }
    EXPECT_EQ(entries.front(), "EN - UK English");
}

}  // namespace
