// The delivery and clean-up ticks with a starter that starts nothing: what each tick writes,
// when it waits, and how the window ends.

#include <gtest/gtest.h>

#include <filesystem>

#include "src/delivery/ticks.h"
#include "src/package/wizard.h"
#include "src/platform/path.h"
#include "src/platform/process.h"
#include "tests/support/fake_starter.h"
#include "tests/support/fake_window.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using namespace tovrin;
using test::readFile;

namespace {

class Ticks : public ::testing::Test {
protected:
    Ticks() {
        fs::create_directories(root.path() / "app" / "bin");
        wizard.appFolder = wizard.workFolder = wizard.buildFolder = (root.path() / "app").string();
        w.setText(Control::txtDest, root.str() + kSeparator);
        w.setText(Control::txtName, "Demo");
        // The state in which the create command hands over.
        enterBusyState(w);
        w.setEnabled(Control::Timer1, true);
        w.stateLog.clear();
    }
    std::string bin(const std::string& f) const { return binFile(wizard.appFolder, f); }

    test::TempDir root;
    test::FakeWindow w;
    test::FakeStarter starter;
    Wizard wizard{w, "", "", starter, nullptr, nullptr, {}};
};

TEST_F(Ticks, DeliveryWaitsWhileTheCompilerRuns) {
    wizard.goBat = starter.start("go.bat");
    *starter.started[0].running = true;
    Timer1_Timer(wizard);
    EXPECT_FALSE(fs::exists(bin("del.bat")));
    EXPECT_TRUE(w.enabled(Control::Timer1));
    EXPECT_FALSE(w.enabled(Control::Timer2));

    *starter.started[0].running = false;
    Timer1_Timer(wizard);
    EXPECT_TRUE(fs::exists(bin("del.bat")));
    EXPECT_FALSE(w.enabled(Control::Timer1));
    EXPECT_TRUE(w.enabled(Control::Timer2));
    ASSERT_EQ(starter.started.size(), 2u);
    EXPECT_EQ(starter.started[1].script, bin("del.bat"));
}

TEST_F(Ticks, DeliveredBuildEndsIdleAndSilent) {
    root.write("app/bin/temp.sis", "package");
    root.write("app/bin/del.bat", std::string(5000, 'x'));  // an earlier, longer script
    Timer1_Timer(wizard);
    const std::string b = bin(""), dest = root.str() + kSeparator;
#ifdef _WIN32
    const std::string res = "RES.TXT";
#else
    const std::string res = "res.txt";  // named as go.bat wrote it: names are case-sensitive here
#endif
    const std::string copy = dest + "Demo.sis." + std::to_string(currentProcessId()) + ".tmp";
    EXPECT_EQ(readFile(bin("del.bat")),  // the earlier, longer script is gone
              "cd " + b + "\r\n" +       //
                  "copy " + b + "temp.sis " + copy + " && move /y " + copy + " " + dest +  //
                  "Demo.sis\r\n" +                                                         //
                  "del " + copy + "\r\n" +                                                 //
                  "del " + b + res + "\r\n" +                                              //
                  "del " + b + "AboutInstaller.txt\r\n" +                                  //
                  "del " + b + "temp.pkg\r\n" +                                            //
                  "del " + b + "temp.sis\r\n" +                                            //
                  "del " + b + "go.bat\r\n");

    fs::copy_file(bin("temp.sis"), dest + "Demo.sis");  // what del.bat does
    *starter.started[0].running = false;
    Timer2_Timer(wizard);
    EXPECT_FALSE(fs::exists(bin("del.bat")));
    EXPECT_EQ(w.stateLog, (std::vector<std::string>{"Form1=1", "Frame1=0"}));
    EXPECT_EQ(w.focused(), Control::cmdDo);
    EXPECT_FALSE(w.enabled(Control::Timer1));
    EXPECT_FALSE(w.enabled(Control::Timer2));
    EXPECT_TRUE(w.messages.empty());
}

TEST_F(Ticks, CleanUpWaitsForTheScriptToEnd) {
    starter.startRunning = true;
    Timer1_Timer(wizard);
    Timer2_Timer(wizard);
    EXPECT_TRUE(fs::exists(bin("del.bat")));
    EXPECT_FALSE(w.enabled(Control::Form1));
    EXPECT_TRUE(w.enabled(Control::Timer2));

    *starter.started[0].running = false;
    Timer2_Timer(wizard);
    EXPECT_FALSE(fs::exists(bin("del.bat")));
    EXPECT_TRUE(w.enabled(Control::Form1));
}

TEST_F(Ticks, BuildWithoutPackageIsReportedWithTheCompilersOutputOnceIdle) {
    root.write("app/bin/res.txt", "temp.pkg(3) : error: file not found");
    Timer1_Timer(wizard);
    const std::string script = readFile(bin("del.bat"));
    EXPECT_EQ(script.find("copy "), std::string::npos);
    EXPECT_EQ(script.find(".sis\r\ncopy"), std::string::npos);
    EXPECT_TRUE(w.messages.empty());  // not while busy

    Timer2_Timer(wizard);
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].title, "Error");
    EXPECT_EQ(w.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(w.messages[0].text,
              "The package was not created.\r\n\r\ntemp.pkg(3) : error: file not found");
    EXPECT_TRUE(w.enabled(Control::Form1));

    // Reported once only.
    enterBusyState(w);
    w.setEnabled(Control::Timer2, true);
    Timer2_Timer(wizard);
    EXPECT_EQ(w.messages.size(), 1u);
}

// After del.bat, what lies at the target is whole and stays; del.bat's copy is gone.
TEST_F(Ticks, CopyThatFailedIsReportedAndTheTargetLeftAsItIs) {
    const std::string target = root.str() + kSeparator + "Demo.sis";
    const std::string copy = target + "." + std::to_string(currentProcessId()) + ".tmp";
    const std::string made = std::string(16, 'h') + "CS" + std::string(100, 'd');
    const std::string kept = " The earlier package was kept.";
    struct Case {
        const char* what;
        std::string before, after;  // the target's bytes before and after del.bat; "" for none
        std::string message;        // after "The package could not be copied to <target>."
    } cases[] = {
        {"nothing arrived", "", "", ""},
        {"the earlier package stays", "earlier", "earlier", kept},
        {"another program wrote the target", "earlier",
         std::string(16, 'h') + "XY" + std::string(100, 'd'), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(target);
        if (!c.before.empty()) root.write("Demo.sis", c.before);
        root.write("app/bin/temp.sis", made);
        enterBusyState(w);
        w.setEnabled(Control::Timer1, true);
        w.messages.clear();
        Timer1_Timer(wizard);
        root.write("Demo.sis." + std::to_string(currentProcessId()) + ".tmp",
                   made.substr(0, 40));  // what a copy that failed half-way leaves
        if (c.after != c.before) root.write("Demo.sis", c.after);
        Timer2_Timer(wizard);
        ASSERT_EQ(w.messages.size(), 1u);
        EXPECT_EQ(w.messages[0].text,
                  "The package could not be copied to " + target + "." + c.message);
        EXPECT_EQ(w.messages[0].title, "Error");
        EXPECT_EQ(readFile(target), c.after.empty() ? "<missing>" : c.after);
        EXPECT_FALSE(fs::exists(copy));
        EXPECT_TRUE(w.enabled(Control::Form1));
    }
}

TEST_F(Ticks, ScriptThatCannotBeWrittenStillEndsTheBuild) {
    fs::remove_all(root.path() / "app" / "bin");
    Timer1_Timer(wizard);
    EXPECT_TRUE(starter.started.empty());
    EXPECT_FALSE(w.enabled(Control::Timer1));
    EXPECT_TRUE(w.enabled(Control::Timer2));
    Timer2_Timer(wizard);
    EXPECT_TRUE(w.enabled(Control::Form1));
    EXPECT_FALSE(w.visible(Control::Frame1));
    EXPECT_FALSE(w.enabled(Control::Timer2));
}

// A tick the toolkit had queued before its timer stopped.
TEST_F(Ticks, TickWhileItsTimerIsOffDoesNothing) {
    Timer1_Timer(wizard);
    ASSERT_EQ(starter.started.size(), 1u);
    Timer1_Timer(wizard);
    EXPECT_EQ(starter.started.size(), 1u);  // del.bat started once
    EXPECT_TRUE(w.enabled(Control::Timer2));

    Timer2_Timer(wizard);
    root.write("app/bin/del.bat", "a later build's script");
    enterBusyState(w);  // that later build
    Timer2_Timer(wizard);
    EXPECT_EQ(readFile(bin("del.bat")), "a later build's script");
    EXPECT_FALSE(w.enabled(Control::Form1));
    EXPECT_EQ(w.messages.size(), 1u);  // the missing package, reported once
}

#ifdef _WIN32
// A destination that cmd.exe cannot read (OEM code page 437 lacks "€", 0x80 in 1252) and that
// has gone since the create command judged it, and with it its short name: del.bat is never
// written with an empty folder (that would delete and copy at the root of the drive).
TEST_F(Ticks, DestinationNoLongerReadableIsReportedAndNoLineNamesAnEmptyFolder) {
    const std::string gone = root.str() + "\\\x80gone\\";
    w.setText(Control::txtDest, gone);
    root.write("app/bin/temp.sis", std::string(16, 'h') + "CS");
    Timer1_Timer(wizard);
    const std::string script = readFile(bin("del.bat"));
    EXPECT_EQ(script.find("copy "), std::string::npos) << script;
    EXPECT_EQ(script.find(" \\"), std::string::npos) << script;
    EXPECT_NE(script.find("del " + bin("temp.pkg")), std::string::npos) << script;
    Timer2_Timer(wizard);
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].text,
              gone + " holds a character that the command interpreter cannot read: \x80");
    EXPECT_TRUE(w.enabled(Control::Form1));
}
#endif

TEST(MayClose, OnlyWhenIdle) {
    test::FakeWindow w;
    test::FakeStarter starter;
    Wizard wizard{w, "/x", "/x", starter, nullptr, nullptr, {}};
    EXPECT_TRUE(mayClose(wizard));
    enterBusyState(w);
    w.setEnabled(Control::Timer1, true);
    EXPECT_FALSE(mayClose(wizard));
    w.setEnabled(Control::Timer1, false);
    w.setEnabled(Control::Timer2, true);
    EXPECT_FALSE(mayClose(wizard));
    w.setEnabled(Control::Timer2, false);
    leaveBusyState(w);
    EXPECT_TRUE(mayClose(wizard));
}

}  // namespace
