// The create command against the in-memory window: the checks with their messages and what
// they leave in bin, the exact bytes of the generated files, and platform errors.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "src/package/create_command.h"
#include "src/package/package_settings.h"
#include "src/platform/folder_listing.h"
#include "src/platform/local_text.h"
#include "src/platform/path.h"
#include "tests/support/fake_starter.h"
#include "tests/support/fake_window.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using namespace tovrin;
using tovrin::test::readFile;

namespace {

const std::string kSep(1, kSeparator);

std::string crlf(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\r\n";
    return s;
}

class CreateCommand : public ::testing::Test {
protected:
    CreateCommand() {
        fs::create_directories(root.path() / "app" / "bin");
        app = (root.path() / "app").string();
        project = (root.path() / "proj").string() + kSep;
        fs::create_directories(project);
        w.setText(Control::txtProjPath, project);
        w.setText(Control::txtDest, root.str() + kSep);
        w.setText(Control::txtName, "Demo");
    }

    std::string bin(const std::string& name) const { return binFile(app, name); }
    void run() { cmdDo_Click(wizard); }

    test::TempDir root;
    std::string app, project;
    test::FakeWindow w;
    test::FakeStarter starter;
    Wizard wizard{w, "", "", starter, nullptr, nullptr, {}};

    void SetUp() override { wizard.appFolder = wizard.workFolder = app; }
};

const std::string kAbout =
    "This installer was created with Tovrin 0.9 by Quen. For info: "
    "tovrin-wizard@quen.example.org\r\n";

TEST_F(CreateCommand, WritesTheScriptOfTheWorkedExample) {
    root.write("proj/system/apps/Demo/Demo.app", "app");
    root.write("proj/system/apps/Demo/Demo.rsc", "rsc");
    w.selectLanguage("FR - French");
    w.setText(Control::txtMin, "2");
    w.setText(Control::txtBuild, "3");

    run();

    const std::string src = project + "system" + kSep + "apps" + kSep + "Demo" + kSep;
    EXPECT_EQ(readFile(bin("temp.pkg")),
              crlf({"&FR", "", "#{\"Demo\"},(0x01000000), 1, 2, 3", "",
                    "(0x101F6F88), 0, 0, 0, {\"Series60ProductID\"}",
                    "\"" + app + kSep + "bin" + kSep + "AboutInstaller.txt\" - \"\",FT",
                    "\"" + src + "Demo.app\"-\"!:\\system\\apps\\Demo\\Demo.app\"",
                    "\"" + src + "Demo.rsc\"-\"!:\\system\\apps\\Demo\\Demo.rsc\""}));
    EXPECT_EQ(readFile(bin("AboutInstaller.txt")), kAbout);
    EXPECT_EQ(readFile(bin("go.bat")),
              crlf({"cd " + app + kSep + "bin" + kSep,
                    "makesis.exe " + bin("temp.pkg") + " > " + bin("res.txt")}));
    ASSERT_EQ(starter.started.size(), 1u);
    EXPECT_EQ(starter.started[0].script, bin("go.bat"));
    EXPECT_TRUE(w.enabled(Control::Timer1));
    EXPECT_FALSE(w.enabled(Control::Form1));
    EXPECT_TRUE(w.visible(Control::Frame1));
    EXPECT_TRUE(w.messages.empty());
    EXPECT_EQ(w.selectedIndex(), 1);  // each entry is selected as its line is written
}

struct ScriptHead {
    const char* what;
    std::string language;
    int supportValue;
    std::string major, minor, build;
    std::vector<std::string> head;  // lines before the about line
};

class ScriptHeadForms : public CreateCommand, public ::testing::WithParamInterface<ScriptHead> {};

TEST_P(ScriptHeadForms, StartTheScript) {
    const ScriptHead& c = GetParam();
    w.selectLanguage(c.language);
    w.setValue(Control::ckSupp, c.supportValue);
    w.setText(Control::txtVer, c.major);
    w.setText(Control::txtMin, c.minor);
    w.setText(Control::txtBuild, c.build);

    run();

    std::vector<std::string> lines = c.head;
    lines.push_back("\"" + bin("AboutInstaller.txt") +
                    "\" - \"\",FT");  // empty project: nothing else
    EXPECT_EQ(readFile(bin("temp.pkg")), crlf(lines)) << c.what;
    EXPECT_TRUE(w.messages.empty());
}

const std::string kHeader = "#{\"Demo\"},(0x01000000), 1, 0, 0";
const std::string kDependency = "(0x101F6F88), 0, 0, 0, {\"Series60ProductID\"}";

INSTANTIATE_TEST_SUITE_P(
    Forms, ScriptHeadForms,
    ::testing::Values(
        ScriptHead{
            "default language", " Default - English", 1, "1", "0", "0", {kHeader, "", kDependency}},
        ScriptHead{"no language picked", "", 1, "1", "0", "0", {kHeader, "", kDependency}},
        ScriptHead{"default spelled without its blank",
                   "Default - English",
                   1,
                   "1",
                   "0",
                   "0",
                   {"&De", "", kHeader, "", kDependency}},
        ScriptHead{
            "one-character language", "F", 1, "1", "0", "0", {"&F", "", kHeader, "", kDependency}},
        ScriptHead{"lower case kept",
                   "sw - Swedish",
                   1,
                   "1",
                   "0",
                   "0",
                   {"&sw", "", kHeader, "", kDependency}},
        ScriptHead{"not ticked", "", 0, "1", "0", "0", {kHeader, ""}},
        ScriptHead{"greyed counts as not ticked", "", 2, "1", "0", "0", {kHeader, ""}},
        ScriptHead{
            "empty version fields", "", 0, "", "", "", {"#{\"Demo\"},(0x01000000), , , ", ""}}));

struct CheckCase {
    const char* what;
    std::function<void(test::FakeWindow&)> change;
    std::string message;  // empty: every check passes
    std::string pkg;      // expected temp.pkg afterwards ("old" = untouched)
    bool aboutWritten;
};

class Checks : public CreateCommand, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(Checks, FailOrPassWithTheirMessage) {
    const CheckCase& c = GetParam();
    root.write("app/bin/temp.pkg", "old");
    root.write("app/bin/AboutInstaller.txt", "old");
    w.selectLanguage("EN - UK English");
    c.change(w);

    run();

    if (c.message.empty()) {
        EXPECT_TRUE(w.messages.empty()) << c.what;
        EXPECT_TRUE(w.enabled(Control::Timer1));
        return;
    }
    ASSERT_EQ(w.messages.size(), 1u) << c.what;
    EXPECT_EQ(w.messages[0].text, c.message);
    EXPECT_EQ(w.messages[0].title, "Error");
    EXPECT_EQ(w.messages[0].icon, MessageIcon::Error);
    EXPECT_TRUE(w.enabled(Control::Form1));
    EXPECT_FALSE(w.visible(Control::Frame1));
    EXPECT_EQ(w.stateLog.back(), "Frame1=0");  // enabled first, then hidden
    EXPECT_EQ(w.focused(), Control::cmdDo);
    EXPECT_FALSE(w.enabled(Control::Timer1));
    EXPECT_TRUE(starter.started.empty());
    EXPECT_FALSE(fs::exists(bin("go.bat")));
    EXPECT_EQ(readFile(bin("temp.pkg")), c.pkg) << c.what;
    EXPECT_EQ(readFile(bin("AboutInstaller.txt")), c.aboutWritten ? kAbout : "old") << c.what;
}

const std::string kLang = "&EN\r\n\r\n";
// One character in the host's local encoding that takes two bytes where it is UTF-8.
#ifdef _WIN32
const std::string kAccent = "\xE9";
#else
const std::string kAccent = "\xC3\xA9";
#endif
const std::string kHead = kLang + kHeader + "\r\n\r\n" + kDependency + "\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, Checks,
    ::testing::Values(
        CheckCase{"destination empty, everything else empty too",
                  [](auto& w) {
                      for (Control c : {Control::txtDest, Control::txtProjPath, Control::txtName,
                                        Control::txtUID})
                          w.setText(c, "");
                  },
                  "Insert a Path for the destination", "old", false},
        CheckCase{"name empty", [](auto& w) { w.setText(Control::txtName, ""); }, "Insert a name",
                  kLang, true},
        CheckCase{"name with a separator", [](auto& w) { w.setText(Control::txtName, "a/b"); },
                  "The name must not contain \\ / : * ? \" < > |", kLang, true},
        CheckCase{"name with a wildcard", [](auto& w) { w.setText(Control::txtName, "*"); },
                  "The name must not contain \\ / : * ? \" < > |", kLang, true},
        CheckCase{"name with a quote", [](auto& w) { w.setText(Control::txtName, "a\"b"); },
                  "The name must not contain \\ / : * ? \" < > |", kLang, true},
        CheckCase{"UID empty", [](auto& w) { w.setText(Control::txtUID, ""); }, "Insert a UID",
                  kLang, true},
        CheckCase{"UID of 7 characters", [](auto& w) { w.setText(Control::txtUID, "0100000"); },
                  "UID must be 8 char lenght", kLang, true},
        CheckCase{"UID of 7 characters, one of them two bytes long",
                  [](auto& w) { w.setText(Control::txtUID, "010000" + kAccent); },
                  "UID must be 8 char lenght", kLang, true},
        CheckCase{"UID of 8 characters, one of them two bytes long, passes",
                  [](auto& w) { w.setText(Control::txtUID, "0100000" + kAccent); }, "", "", true},
        CheckCase{"UID of 6 characters and two bytes that are no UTF-8 passes",
                  [](auto& w) { w.setText(Control::txtUID, "010000\xC0\xAF"); }, "", "", true},
        CheckCase{"source empty", [](auto& w) { w.setText(Control::txtProjPath, ""); },
                  "Insert a Path for the source", kHead, true},
        CheckCase{"name of one blank passes", [](auto& w) { w.setText(Control::txtName, " "); }, "",
                  "", true},
        CheckCase{"UID of 8 letters passes",
                  [](auto& w) { w.setText(Control::txtUID, "GHIJKLMN"); }, "", "", true},
        CheckCase{"missing project folder passes",
                  [](auto& w) { w.setText(Control::txtProjPath, "/no/such/"); }, "", "", true}));

// Rules about the name and the UID count characters, not bytes: in code page 932 表 is 95 5C
// and ポ is 83 7C, the bytes of "\\" and "|". Rows the code page cannot hold are passed over.
struct LocalSettingsRow {
    const char* name;  // UTF-8, made local text
    const char* uid;
    std::string message;
};

void PrintTo(const LocalSettingsRow& r, std::ostream* os) { *os << r.name << " " << r.uid; }

class LocalCharactersInSettings : public CreateCommand,
                                  public ::testing::WithParamInterface<LocalSettingsRow> {};

TEST_P(LocalCharactersInSettings, AreJudgedByCharacters) {
    const LocalSettingsRow& r = GetParam();
    const std::string name = localFromUtf8(r.name), uid = localFromUtf8(r.uid);
    if (holdsCharacter(name + uid, '?')) GTEST_SKIP() << "this code page lacks " << r.name << r.uid;
    w.setText(Control::txtName, name);
    w.setText(Control::txtUID, uid);
    run();
    if (r.message.empty()) {
        EXPECT_TRUE(w.messages.empty()) << w.messages[0].text;
        return;
    }
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].text, r.message);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LocalCharactersInSettings,
    ::testing::Values(LocalSettingsRow{"\xE8\xA1\xA8\xE7\xA4\xBA", "01000000", ""},  // 表示
                      LocalSettingsRow{"\xE3\x83\x9D\xE3\x83\xAA", "01000000", ""},  // ポリ
                      LocalSettingsRow{"a\\\xE8\xA1\xA8", "01000000",
                                       "The name must not contain \\ / : * ? \" < > |"},
                      LocalSettingsRow{
                          "Demo", "\xE8\xA1\xA8\xE8\xA1\xA8\xE8\xA1\xA8\xE8\xA1\xA8",
                          "UID must be 8 char lenght"},  // four characters, eight bytes in 932
                      LocalSettingsRow{"Demo", "0100000\xE8\xA1\xA8", ""}));

// A file whose name the code page cannot hold is refused after the scan, not left out or
// renamed; the folder choice still lists it. Elsewhere "?" is a character of a name like any.
TEST_F(CreateCommand, FileNameTheCodePageLacksIsRefusedAfterTheScan) {
#ifdef _WIN32
    const fs::path file = fs::path(project) / L"\u0142.txt";  // ł: no ANSI or DBCS code page here
#else
    const fs::path file = fs::path(project) / "?.txt";
#endif
    std::ofstream(file) << "x";
    ASSERT_TRUE(fs::exists(file));
    run();
    const std::string entry = kSep + "?.txt";
    ASSERT_EQ(w.listCount(), 1);
    EXPECT_EQ(w.listItem(0), entry);
    if (!kNamesMarkMissingCharacters) {
        EXPECT_TRUE(w.messages.empty()) << w.messages[0].text;
        return;
    }
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].text,
              "The file " + entry +
                  " cannot be packaged: its name holds a character that this system's code page "
                  "lacks.");
    EXPECT_TRUE(w.enabled(Control::Form1));
    EXPECT_FALSE(fs::exists(bin("go.bat")));
    EXPECT_EQ(readFile(bin("temp.pkg")), crlf({kHeader, "", kDependency}));  // no file line
}

// A quotation mark or a control character would break out of a batch line's quoting.
TEST_F(CreateCommand, FoldersNoBatchLineCanCarryAreRefusedBeforeAnythingIsWritten) {
    const std::string plainApp = app;
    struct Case {
        Control box;  // Form1 for the application folder
        std::string folder, shown;
    } cases[] = {
        {Control::txtDest, root.str() + kSep + "\"docs\"" + kSep,
         root.str() + kSep + "\"docs\"" + kSep},
        {Control::txtDest, root.str() + kSep + "a\"\r\ntouch x" + kSep,
         root.str() + kSep + "a\"??touch x" + kSep},
        {Control::txtProjPath, root.str() + kSep + "p\tq" + kSep, root.str() + kSep + "p?q" + kSep},
        {Control::Form1, root.str() + kSep + "wiz\napp", root.str() + kSep + "wiz?app"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        test::FakeWindow window;
        window.setText(Control::txtProjPath, project);
        window.setText(Control::txtDest, root.str() + kSep);
        if (c.box == Control::Form1)
            wizard.appFolder = c.folder;
        else
            window.setText(c.box, c.folder);
        Wizard refused{window, wizard.appFolder, wizard.appFolder, starter, nullptr, nullptr, {}};
        cmdDo_Click(refused);
        wizard.appFolder = plainApp;
        ASSERT_EQ(window.messages.size(), 1u);
        EXPECT_EQ(window.messages[0].text,
                  "The folder " + c.shown +
                      " cannot be used: its name holds a quotation mark or a control character.");
        EXPECT_EQ(window.messages[0].title, "Error");
        EXPECT_EQ(window.stateLog,
                  (std::vector<std::string>{"Form1=1", "Frame1=0"}));  // never busy
        EXPECT_TRUE(fs::is_empty(fs::path(app) / "bin"));
        EXPECT_TRUE(starter.started.empty());
    }
}

// Superscript one, two and three, and the acute accent beside them, in the host's local text.
#ifdef _WIN32
const std::string kSup1 = "\xB9", kSup2 = "\xB2", kSup3 = "\xB3", kAcute = "\xB4";
#else
const std::string kSup1 = "\xC2\xB9", kSup2 = "\xC2\xB2", kSup3 = "\xC2\xB3", kAcute = "\xC2\xB4";
#endif

TEST(DeviceNames, AreToldFromOrdinaryNames) {
    for (const std::string& name :
         {std::string("CON"), std::string("con"), std::string("Nul.sis"), std::string("AUX.txt"),
          std::string("PRN "), std::string("COM1"), std::string("com9"), std::string("LPT1"),
          std::string("lpt9.x.y"), "COM" + kSup1, "com" + kSup2 + ".sis", "LPT" + kSup3,
          "Lpt" + kSup1 + " .txt"})
        EXPECT_TRUE(isDeviceName(name)) << name;
    for (const std::string& name :
         {std::string("CONSOLE"), std::string("NULL"), std::string("COM0"), std::string("COM10"),
          std::string("LPT"), std::string("Demo"), std::string("xCON"), std::string("_CON"),
          "COM" + kAcute, "LPT" + kSup1 + kSup2})
        EXPECT_FALSE(isDeviceName(name)) << name;
}

#ifdef _WIN32
// Windows: copy would write the package into the device.
TEST_F(CreateCommand, DeviceNameIsRefusedAfterTheNameChecks) {
    w.setText(Control::txtName, "Lpt1");
    run();
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(
        w.messages[0].text,
        "The name must not be a device name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9)");
    EXPECT_EQ(readFile(bin("AboutInstaller.txt")), kAbout);
    EXPECT_FALSE(fs::exists(bin("go.bat")));
    EXPECT_TRUE(w.enabled(Control::Form1));
}

// cmd.exe reads the scripts in the OEM code page (437 here), which lacks "€" (0x80 in 1252)
// and "œ" (0x9C): an existing folder is named by its short name, a name cannot be.
TEST_F(CreateCommand, TextsTheInterpreterCannotReadAreRefusedBeforeAnythingIsWritten) {
    const std::string euroFolder = root.str() + "\\\x80uro\\";
    struct Case {
        Control box;
        std::string text, message;
    } cases[] = {
        {Control::txtName, "C\x9Cur",
         "C\x9Cur holds a character that the command interpreter cannot read: \x9C"},
        {Control::txtDest, euroFolder,
         euroFolder + " holds a character that the command interpreter cannot read: \x80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        test::FakeWindow window;
        window.setText(Control::txtProjPath, project);
        window.setText(Control::txtDest, root.str() + kSep);
        window.setText(c.box, c.text);
        Wizard refused{window, app, app, starter, nullptr, nullptr, {}};
        cmdDo_Click(refused);
        ASSERT_EQ(window.messages.size(), 1u);
        EXPECT_EQ(window.messages[0].text, c.message);
        EXPECT_TRUE(fs::is_empty(fs::path(app) / "bin"));
        EXPECT_EQ(window.stateLog,
                  (std::vector<std::string>{"Form1=1", "Frame1=0"}));  // never busy
    }
    // Once the folder exists, its short name carries it.
    fs::create_directories(fs::path(euroFolder));
    w.setText(Control::txtDest, euroFolder);
    run();
    EXPECT_TRUE(w.messages.empty()) << w.messages[0].text;
    EXPECT_EQ(starter.started.size(), 1u);
}
#endif

// A folder at the target would make del ask for a confirmation on a console nobody sees.
TEST_F(CreateCommand, TargetThatIsNotAFileIsRefusedAfterTheNameChecks) {
    const std::string target = root.str() + kSep + "Demo.sis";
    fs::create_directories(target);
    run();
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].text, "The package cannot replace " + target + ": it is not a file.");
    EXPECT_EQ(readFile(bin("temp.pkg")), "");  // before the header
    EXPECT_FALSE(fs::exists(bin("go.bat")));
    EXPECT_TRUE(w.enabled(Control::Form1));
    EXPECT_FALSE(w.visible(Control::Frame1));

    // An earlier package there is replaced as always.
    fs::remove(target);
    root.write("Demo.sis", "earlier package");
    w.messages.clear();
    run();
    EXPECT_TRUE(w.messages.empty());
    EXPECT_EQ(starter.started.size(), 1u);
}

TEST_F(CreateCommand, DoesNothingWhileABuildIsInFlight) {
    run();
    ASSERT_EQ(starter.started.size(), 1u);
    const std::string pkg = readFile(bin("temp.pkg"));
    root.write("proj/late.txt", "added while the compiler runs");
    w.stateLog.clear();
    run();
    EXPECT_EQ(starter.started.size(), 1u);
    EXPECT_EQ(readFile(bin("temp.pkg")), pkg);
    EXPECT_TRUE(w.stateLog.empty());
    EXPECT_TRUE(w.messages.empty());
    EXPECT_EQ(w.listCount(), 0);
}

#ifndef _WIN32
// A name that would write a file line of its own: the whole flow of a refused list.
TEST_F(CreateCommand, ListWithANameAFileLineCannotCarryIsRefusedAfterTheScan) {
    root.write("proj/z/a.txt", "a");
    root.write("proj/z\\..\\..\\secret\\id_rsa\"-\"!:\\loot.txt\"\n;", "b");
    run();
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].text,
              "The file /z\\..\\..\\secret\\id_rsa\"-\"!:\\loot.txt\"?; cannot be packaged: "
              "its name holds a quotation mark, a backslash or a control character.");
    EXPECT_EQ(readFile(bin("temp.pkg")),
              crlf({kHeader, "", kDependency}));  // closed before the about line
    EXPECT_FALSE(fs::exists(bin("go.bat")));
    EXPECT_TRUE(starter.started.empty());
    EXPECT_TRUE(w.enabled(Control::Form1));
    EXPECT_FALSE(w.visible(Control::Frame1));
    EXPECT_EQ(w.listCount(), 2);  // the list still shows what the folder holds
}
#endif

TEST_F(CreateCommand, MissingBinFolderIsReportedByName) {
    fs::remove_all(fs::path(app) / "bin");
    run();
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].title, "Error");
    EXPECT_NE(w.messages[0].text.find(bin("AboutInstaller.txt")), std::string::npos)
        << w.messages[0].text;
    EXPECT_TRUE(w.enabled(Control::Form1));
    EXPECT_FALSE(w.visible(Control::Frame1));
    EXPECT_FALSE(w.enabled(Control::Timer1));
}

TEST_F(CreateCommand, ScriptThatCannotBeCreatedIsReportedByName) {
    fs::create_directories(bin("temp.pkg"));  // a folder where the file should go
    run();
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_NE(w.messages[0].text.find(bin("temp.pkg")), std::string::npos) << w.messages[0].text;
    EXPECT_TRUE(w.enabled(Control::Form1));
    EXPECT_TRUE(starter.started.empty());
}

TEST_F(CreateCommand, ScriptThatCannotBeStartedLeavesTheWindowIdle) {
    starter.refuse = true;
    run();
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_NE(w.messages[0].text.find(bin("go.bat")), std::string::npos);
    EXPECT_TRUE(w.enabled(Control::Form1));
    EXPECT_FALSE(w.enabled(Control::Timer1));
}

TEST_F(CreateCommand, StalePackageOfAnEarlierRunIsRemovedBeforeTheBuild) {
    root.write("app/bin/temp.sis", "left over");
    run();
    EXPECT_FALSE(fs::exists(bin("temp.sis")));
    EXPECT_EQ(starter.started.size(), 1u);
}

TEST_F(CreateCommand, FilesAreWrittenAnewNotAppended) {
    root.write("proj/a.app", "a");
    run();
    const std::string first = readFile(bin("temp.pkg"));
    const std::string go = readFile(bin("go.bat"));
    w.setEnabled(Control::Form1, true);
    run();
    EXPECT_EQ(readFile(bin("temp.pkg")), first);
    EXPECT_EQ(readFile(bin("go.bat")), go);
    EXPECT_EQ(readFile(bin("AboutInstaller.txt")), kAbout);
}

}  // namespace
