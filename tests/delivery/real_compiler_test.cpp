// Whole wizard builds with the project's own compiler in bin and the host's command
// interpreter (cmd.exe on Windows, tovrin-cmd elsewhere), from folders whose names hold what
// the interpreter treats specially: the package must arrive, equal the reference package
// byte for byte (the same on every host), pass the lister, and leave bin clean.

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <tuple>

#include "src/platform/local_text.h"
#include "src/platform/path.h"
#include "src/platform/process.h"
#include "src/platform/work_folder.h"
#include "tests/delivery/build_runner.h"
#include "tests/support/build_fixture.h"
#include "tests/support/fake_window.h"
#include "tests/support/run_program.h"
#include "tests/support/scoped_variable.h"

namespace fs = std::filesystem;
using namespace tovrin;
using test::readFile;

namespace {

struct Case {
    const char* label;
    std::string folder;  // UTF-8; made local text for the host
    std::string name;
    const char* reference;  // tests/data/wizard/<reference>.sis
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.label; }

class RealCompiler : public ::testing::TestWithParam<Case> {};

TEST_P(RealCompiler, WizardBuildDeliversTheReferencePackage) {
    const Case& c = GetParam();
    test::BuildFolders f(localFromUtf8(c.folder));
    f.useRealCompiler();
    const auto files = test::referenceProjectFiles();
    for (const auto& [path, bytes] : files) test::writeFile(f.project + path, bytes);
    test::writeFile(f.destination + localFromUtf8(c.name) + ".sis", "earlier package");

    test::FakeWindow w;
    w.setText(Control::txtProjPath, f.project);
    w.setText(Control::txtDest, f.destination);
    w.setText(Control::txtName, localFromUtf8(c.name));
    w.selectLanguage("FR - French");
    auto starter = makeScriptStarter(f.app);
    Wizard wizard{w, f.app, f.app, *starter, nullptr, nullptr, {}};
    test::runBuild(wizard);

    ASSERT_TRUE(w.messages.empty()) << w.messages[0].text;
    ASSERT_TRUE(w.enabled(Control::Form1));
    const std::string package = f.destination + localFromUtf8(c.name) + ".sis";
    EXPECT_TRUE(readFile(package) == readFile(fs::path(TOVRIN_TEST_DATA_DIR) / "wizard" /
                                              (std::string(c.reference) + ".sis")))
        << "the package differs from the reference";
    EXPECT_EQ(test::folderNames(fs::path(f.app) / "bin"), test::realCompilerFiles());

    const std::string out = f.root.str() + "/extracted";
    const test::ProgramRun lister =
        test::runProgram(test::appProgram("sislist"), {"-x", out, package});
    ASSERT_EQ(lister.status, 0) << lister.out << lister.err;
    EXPECT_EQ(readFile(out + "/!/system/apps/Demo/Demo.app"), files[0].second);
    EXPECT_EQ(readFile(fs::u8path(out + "/!/caf\xC3\xA9.txt")),
              files[4].second);  // named as the package has it
}

#ifndef _WIN32
// Here a file name is bytes: a Latin-1 name beside UTF-8 ones still builds, and the package
// names it as the phone shows it.
TEST(RealCompilerNames, NameThatIsNotUtf8BuildsBesideUtf8Names) {
    test::BuildFolders f("");
    f.useRealCompiler();
    test::writeFile(f.project + "caf\xE9.txt", "latin-1 name");
    test::writeFile(f.project + "zo\xC3\xAB.txt", "utf-8 name");
    test::FakeWindow w;
    w.setText(Control::txtProjPath, f.project);
    w.setText(Control::txtDest, f.destination);
    w.setText(Control::txtName, "D\xC3\xA9mo");
    auto starter = makeScriptStarter(f.app);
    Wizard wizard{w, f.app, f.app, *starter, nullptr, nullptr, {}};
    test::runBuild(wizard);

    ASSERT_TRUE(w.messages.empty()) << w.messages[0].text;
    const std::string out = f.root.str() + "/extracted";
    const test::ProgramRun lister = test::runProgram(
        test::appProgram("sislist"), {"-x", out, f.destination + "D\xC3\xA9mo.sis"});
    ASSERT_EQ(lister.status, 0) << lister.out << lister.err;
    EXPECT_NE(lister.out.find("D\xC3\xA9mo"), std::string::npos) << lister.out;
    EXPECT_EQ(readFile(out + "/!/caf\xC3\xA9.txt"), "latin-1 name");
    EXPECT_EQ(readFile(out + "/!/zo\xC3\xAB.txt"), "utf-8 name");
}
#endif

// Two windows of one installation and two tovrin-builds build at once: the second window finds
// the application folder's bin taken and works in a folder of its own, silently; each delivers
// its own package, the same bytes as a build alone, and none leaves a file behind.
TEST(RealCompilerTwoWindows, BuildAtOnceInFoldersOfTheirOwn) {
    test::BuildFolders f;
    f.useRealCompiler();
    for (const auto& [path, bytes] : test::referenceProjectFiles())
        test::writeFile(f.project + path, bytes);
    const std::string second = f.root.str() + kSeparator + "second" + kSeparator;
    test::writeFile(second + "extra.txt", "window two's own file");
    test::ScopedVariable cache(test::kUserCacheVariable, f.root.str() + kSeparator + "cache");
    const std::string own = userWorkFolder();

    auto starter = makeScriptStarter(f.app);
    test::FakeWindow w1, w2;
    Wizard one{w1, f.app, f.app, *starter, nullptr, nullptr, {}};
    Wizard two{w2, f.app, f.app, *starter, nullptr, nullptr, {}};
    for (auto [w, project, name] : {std::tuple{&w1, f.project, "Demo"}, {&w2, second, "Two"}}) {
        w->setText(Control::txtProjPath, project);
        w->setText(Control::txtDest, f.destination);
        w->setText(Control::txtName, name);
        w->selectLanguage("FR - French");
    }
    std::vector<std::future<test::ProgramRun>> commands;
    for (const char* out : {"cmd1", "cmd2"}) {
        const std::string dest = f.root.str() + kSeparator + out + kSeparator;
        fs::create_directories(fs::path(dest));
        commands.push_back(std::async(std::launch::async, [&f, dest] {
            return test::runProgram(test::appProgram("tovrin-build"),
                                    {"-q", "-n", "Demo", "-l", "fr", "-d", dest, f.project});
        }));
    }
    test::runBuilds({&one, &two});
    for (std::future<test::ProgramRun>& command : commands) {
        const test::ProgramRun run = command.get();
        EXPECT_EQ(run.status, 0) << run.err;
    }
    for (const char* out : {"cmd1", "cmd2"})
        EXPECT_TRUE(readFile(f.root.str() + kSeparator + out + kSeparator + "Demo.sis") ==
                    readFile(fs::path(TOVRIN_TEST_DATA_DIR) / "wizard" / "demo.sis"))
            << out << "'s package differs from the reference";

    EXPECT_TRUE(w1.messages.empty()) << w1.messages[0].text;
    EXPECT_TRUE(w2.messages.empty()) << w2.messages[0].text;
    EXPECT_EQ(one.buildFolder, f.app);
    EXPECT_EQ(two.buildFolder, own);
    EXPECT_TRUE(readFile(f.destination + "Demo.sis") ==
                readFile(fs::path(TOVRIN_TEST_DATA_DIR) / "wizard" / "demo.sis"))
        << "the first window's package differs from the reference";
    const std::string out = f.root.str() + kSeparator + "extracted";
    const test::ProgramRun lister =
        test::runProgram(test::appProgram("sislist"), {"-x", out, f.destination + "Two.sis"});
    ASSERT_EQ(lister.status, 0) << lister.out << lister.err;
    EXPECT_EQ(test::folderNames(fs::path(out) / "!"), std::vector<std::string>{"extra.txt"});
    EXPECT_EQ(test::folderNames(f.destination), (std::vector<std::string>{"Demo.sis", "Two.sis"}));
    EXPECT_EQ(test::folderNames(fs::path(f.app) / "bin"), test::realCompilerFiles());
    EXPECT_EQ(test::folderNames(fs::path(own) / "bin"), test::realCompilerFiles());

    // Alone, the second window's project gives the same bytes from the application folder.
    const std::string alone = readFile(f.destination + "Two.sis");
    fs::remove(f.destination + "Two.sis");
    test::runBuild(two);
    EXPECT_EQ(two.buildFolder, f.app);
    EXPECT_TRUE(readFile(f.destination + "Two.sis") == alone) << "the packages differ";
}

INSTANTIATE_TEST_SUITE_P(
    Folders, RealCompiler,
    ::testing::Values(
        Case{"Plain", "plain", "Demo", "demo"},
        Case{"BlankAmpersandPercent", "a b&c%d 100%", "Demo", "demo"},
        Case{"Variable", "p%OS%q", "Demo", "demo"},
        Case{"Accents", "D\xC3\xA9mo \xC3\xBC\xC3\x9F\xC3\xB1", "D\xC3\xA9mo", "demo-accent"},
        // Not in the OEM code page cmd.exe reads: the folders go by their short names.
        Case{"EuroAndOe", "\xE2\x82\xACuro \xC5\x93", "Demo", "demo"}),
    [](const ::testing::TestParamInfo<Case>& p) { return std::string(p.param.label); });

// Chinese and Japanese names: a sub-folder 表 (95 5C in code page 932), names in the order of
// their code points (GBK's byte order differs), the package named 表示, the window's initial
// settings. On Linux this made the reference package; the Win32 window's build under wine with
// code pages 936 and 932 must give the same bytes (tests/app/win32/outside_test.cpp).
TEST(LocalCharactersBuild, ChineseAndJapaneseNamesGiveTheReferencePackage) {
    const std::vector<std::pair<std::string, std::string>> files = {
        {"\xE8\xA1\xA8/inside.txt", "inside\r\n"},                   // 表/inside.txt
        {"\xE6\x95\xB0\xE6\x8D\xAE/\xE8\xA1\xA8.txt", "table\r\n"},  // 数据/表.txt
        {"\xE3\x83\x9D\xE3\x83\xAA.txt", "poly\r\n"},                // ポリ.txt
    };
    const std::string name = localFromUtf8("\xE8\xA1\xA8\xE7\xA4\xBA");  // 表示
    if (holdsCharacter(name, '?')) GTEST_SKIP() << "this code page lacks the names";
    test::BuildFolders f;
    f.useRealCompiler();
    for (const auto& [path, bytes] : files) test::writeFile(f.project + localFromUtf8(path), bytes);

    test::FakeWindow w;
    w.setText(Control::txtProjPath, f.project);
    w.setText(Control::txtDest, f.destination);
    w.setText(Control::txtName, name);
    auto starter = makeScriptStarter(f.app);
    Wizard wizard{w, f.app, f.app, *starter, nullptr, nullptr, {}};
    test::runBuild(wizard);

    ASSERT_TRUE(w.messages.empty()) << w.messages[0].text;
    EXPECT_TRUE(readFile(f.destination + name + ".sis") ==
                readFile(fs::path(TOVRIN_TEST_DATA_DIR) / "wizard" / "cjk.sis"))
        << "the package differs from the reference";
}
}  // namespace
