#include <gtest/gtest.h>

#include <functional>

#include "src/app/folder_commands.h"
#include "src/app/info_boxes.h"
#include "src/app/uid_import.h"
#include "src/package/wizard.h"
#include "tests/support/fake_window.h"

using namespace tovrin;

namespace {

TEST(InfoBoxes, AboutShowsItsSixLines) {
    test::FakeWindow w;
    Command1_Click(w);
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].title, "About");
    EXPECT_EQ(w.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(w.messages[0].text,
              "Tovrin 0.9 by Quen\r\n\r\nPlease send bugs and suggestion "
              "to:\r\ntovrin-wizard@quen.example.org"
              "\r\n\r\nMore functions to come");
}

TEST(InfoBoxes, UidInfoHasTwoParagraphsWithTheirOpenings) {
    test::FakeWindow w;
    Command2_Click(w);
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].title, "UID Info");
    EXPECT_EQ(w.messages[0].icon, MessageIcon::Information);
    const std::string& text = w.messages[0].text;
    const auto gap = text.find("\r\n\r\n");
    ASSERT_NE(gap, std::string::npos);
    EXPECT_EQ(text.find("\r\n\r\n", gap + 1), std::string::npos);
    EXPECT_EQ(text.rfind("The application UID is a unique identifier for the application.", 0), 0u);
    EXPECT_EQ(
        text.substr(gap + 4).rfind("During development temporary UIDs may be chosen from the range "
                                   "0x01000000 to 0x0fffffff.",
                                   0),
        0u);
    EXPECT_NE(text.find("Not Found"), std::string::npos);
}

// While a build runs, a click that reaches a command anyway (a disabled window's control may
// still be sent one) opens no dialog or box and changes no text: the delivery still reads them.
TEST(WindowCommands, DoNothingWhileABuildRuns) {
    const std::function<void(Window&)> commands[] = {cmdBrowse_Click, cmdDestFol_Click,
                                                     readUi_Click, Command1_Click, Command2_Click};
    for (const auto& command : commands) {
        test::FakeWindow w;
        w.setText(Control::txtDest, "/out/");
        enterBusyState(w);
        command(w);  // the in-memory window throws on a dialog it has no answer for
        EXPECT_TRUE(w.messages.empty());
        EXPECT_TRUE(w.fileDialogCalls.empty());
        EXPECT_EQ(w.text(Control::txtDest), "/out/");
        EXPECT_EQ(w.text(Control::txtUID), "01000000");
    }
}

}  // namespace
