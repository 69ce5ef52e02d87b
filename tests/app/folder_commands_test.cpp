#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "src/app/folder_commands.h"
#include "src/platform/path.h"
#include "tests/scan/tree_helpers.h"
#include "tests/support/fake_window.h"
#include "tests/support/temp_dir.h"

namespace tovrin {
namespace {

using test::FakeWindow;
using test::native;
using test::TempDir;
using Entries = std::vector<std::string>;

struct PickRow {
    bool chosen;
    const char* given;  // what the dialog gives
    const char* result;
};

class AskFolderTest : public ::testing::TestWithParam<PickRow> {};

TEST_P(AskFolderTest, AppendsOneSeparatorToAChoiceAndGivesNothingOnCancel) {
    FakeWindow window;
    window.folderAnswers.push_back({GetParam().chosen, native(GetParam().given)});
    EXPECT_EQ(AskFolder(window), native(GetParam().result));
    EXPECT_TRUE(window.folderAnswers.empty());
}

INSTANTIATE_TEST_SUITE_P(Answers, AskFolderTest,
                         ::testing::Values(PickRow{false, "", ""},
                                           PickRow{true, "\\work\\proj", "\\work\\proj\\"},
                                           PickRow{true, "\\", "\\\\"},      // a root
                                           PickRow{true, "C:\\", "C:\\\\"},  // a drive root
                                           PickRow{true, "", "\\"}));        // no file-system path

// Two project folders and a destination below one temporary folder.
class FolderCommandsTest : public ::testing::Test {
protected:
    FolderCommandsTest() {
        dir.write("one/a.app", "x");
        dir.write("one/sub/b", "x");
        dir.write("two/c", "x");
        dir.write("dest/keep", "x");
    }
    std::string chosen(const char* name) const { return dir.str() + kSeparator + name; }
    void answer(const char* name) { window.folderAnswers.push_back({true, chosen(name)}); }
    void cancel() { window.folderAnswers.push_back({false, ""}); }
    std::string projPath() const { return window.text(Control::txtProjPath); }
    std::string dest() const { return window.text(Control::txtDest); }

    TempDir dir;
    FakeWindow window;
};

TEST_F(FolderCommandsTest, ChoosingAProjectFolderFillsBothBoxesAndTheList) {
    answer("one");
    cmdBrowse_Click(window);
    EXPECT_EQ(projPath(), chosen("one") + kSeparator);
    EXPECT_EQ(dest(), projPath());
    EXPECT_EQ(window.listEntries(), native(Entries{"\\a.app", "\\sub\\b"}));
}

TEST_F(FolderCommandsTest, ACancelledProjectDialogEmptiesBothBoxesAndTheList) {
    answer("one");
    cmdBrowse_Click(window);
    cancel();
    cmdBrowse_Click(window);
    EXPECT_TRUE(window.folderAnswers.empty());
    EXPECT_EQ(projPath(), "");
    EXPECT_EQ(dest(), "");
    EXPECT_EQ(window.listCount(), 0);
}

TEST_F(FolderCommandsTest, TheDestinationButtonSetsOnlyTheDestination) {
    answer("one");
    cmdBrowse_Click(window);
    answer("dest");
    cmdDestFol_Click(window);
    EXPECT_EQ(dest(), chosen("dest") + kSeparator);
    EXPECT_EQ(projPath(), chosen("one") + kSeparator);
    EXPECT_EQ(window.listEntries(), native(Entries{"\\a.app", "\\sub\\b"}));

    cancel();
    cmdDestFol_Click(window);
    EXPECT_TRUE(window.folderAnswers.empty());
    EXPECT_EQ(dest(), "");
    EXPECT_EQ(projPath(), chosen("one") + kSeparator);
    EXPECT_EQ(window.listEntries(), native(Entries{"\\a.app", "\\sub\\b"}));
}

TEST_F(FolderCommandsTest, ANewProjectFolderReplacesAnEarlierDestination) {
    answer("one");
    cmdBrowse_Click(window);
    answer("dest");
    cmdDestFol_Click(window);
    answer("two");
    cmdBrowse_Click(window);
    EXPECT_EQ(projPath(), chosen("two") + kSeparator);
    EXPECT_EQ(dest(), projPath());
    EXPECT_EQ(window.listEntries(), native(Entries{"\\c"}));
}

}  // namespace
}  // namespace tovrin
