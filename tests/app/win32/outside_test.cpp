// The real tovrin-wizard.exe, driven from another process by the wizard driver as a person's
// clicks would drive it: one whole build through the real window, cmd.exe and makesis.exe, from
// folders whose names hold a blank, "&", "%" and "é"; the lister checks the package.

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "src/platform/local_text.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

// Files by their ANSI names, as the wizard and cmd.exe name them.
bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary);
    if (!out) return false;
    out << bytes;
    out.close();
    return !out.fail();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
}

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(WizardFromOutside, BuildsAPackageFromFoldersWithBlankAmpersandPercentAndEAcute) {
    tovrin::test::TempDir root;
    const std::string base = root.str();
    const std::string app = base + "\\wiz & 100% \xE9";
    const std::string project = base + "\\proj %OS% \xE9";
    const std::string destination = base + "\\out & \xE9";
    for (const std::string& folder : {app, app + "\\bin", project, project + "\\data", destination})
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    for (const char* file : {"tovrin-wizard.exe", "bin\\makesis.exe", "bin\\languages.wzl",
                             "bin\\libgpg-error-0.dll", "bin\\libgcrypt-20.dll",
                             "bin\\libksba-8.dll"})
        ASSERT_TRUE(CopyFileA((std::string(TOVRIN_APP_DIR) + "\\" + file).c_str(),
                              (app + "\\" + file).c_str(), TRUE))
            << file;
    std::string program(150000, '\0');
    for (std::size_t i = 0; i < program.size(); ++i) program[i] = static_cast<char>(i * 7919 % 251);
    const std::vector<std::pair<std::string, std::string>> files = {
        {"Demo.app", program}, {"data\\caf\xE9.txt", "caf\xE9\r\n"}, {"data\\empty.dat", ""}};
    for (const auto& [name, bytes] : files)
        ASSERT_TRUE(writeFile(project + "\\" + name, bytes)) << name;

    const auto drive = tovrin::test::runProgram(
        TOVRIN_WIZARD_DRIVER, {app + "\\tovrin-wizard.exe", project, destination, "D\xE9mo"});
    ASSERT_EQ(drive.status, 0) << drive.out << drive.err;

    const std::string extracted = base + "\\extracted";
    const auto lister = tovrin::test::runProgram(tovrin::test::appProgram("sislist"),
                                                 {"-x", extracted, destination + "\\D\xE9mo.sis"});
    ASSERT_EQ(lister.status, 0) << lister.out << lister.err;
    for (const auto& [name, bytes] : files)
        EXPECT_EQ(readFile(extracted + "\\!\\" + name), bytes) << name;
    for (const char* temporary : {"go.bat", "del.bat", "temp.pkg", "temp.sis"})
        EXPECT_FALSE(exists(app + "\\bin\\" + temporary)) << temporary;
}

// The acceptance case of double-byte code pages, run under wine with code pages 936 and 932:
// Chinese and Japanese names (a sub-folder 表 ends in 5C, the byte of "\\", in 932) build
// through the real window a package byte-identical to the Linux build of the same UTF-8 names
// (tests/data/wizard/cjk.sis, made by tests/delivery/real_compiler_test.cpp).
TEST(WizardFromOutside, LocalCharactersBuildThePackageOfTheLinuxBuild) {
    const std::string table = tovrin::localFromUtf8("\xE8\xA1\xA8");             // 表
    const std::string data = tovrin::localFromUtf8("\xE6\x95\xB0\xE6\x8D\xAE");  // 数据
    const std::string poly = tovrin::localFromUtf8("\xE3\x83\x9D\xE3\x83\xAA");  // ポリ
    const std::string name = tovrin::localFromUtf8("\xE8\xA1\xA8\xE7\xA4\xBA");  // 表示
    if (tovrin::holdsCharacter(table + data + poly + name, '?'))
        GTEST_SKIP() << "code page " << GetACP() << " lacks the names";
    tovrin::test::TempDir root;
    const std::string base = root.str();
    const std::string app = base + "\\wiz", project = base + "\\proj", destination = base + "\\out";
    for (const std::string& folder :
         {app, app + "\\bin", project, project + "\\" + table, project + "\\" + data, destination})
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    for (const char* file : {"tovrin-wizard.exe", "bin\\makesis.exe", "bin\\languages.wzl",
                             "bin\\libgpg-error-0.dll", "bin\\libgcrypt-20.dll",
                             "bin\\libksba-8.dll"})
        ASSERT_TRUE(CopyFileA((std::string(TOVRIN_APP_DIR) + "\\" + file).c_str(),
                              (app + "\\" + file).c_str(), TRUE))
            << file;
    ASSERT_TRUE(writeFile(project + "\\" + table + "\\inside.txt", "inside\r\n"));
    ASSERT_TRUE(writeFile(project + "\\" + data + "\\" + table + ".txt", "table\r\n"));
    ASSERT_TRUE(writeFile(project + "\\" + poly + ".txt", "poly\r\n"));

    const auto drive = tovrin::test::runProgram(
        TOVRIN_WIZARD_DRIVER, {app + "\\tovrin-wizard.exe", project, destination, name});
    ASSERT_EQ(drive.status, 0) << drive.out << drive.err;
    EXPECT_TRUE(readFile(destination + "\\" + name + ".sis") ==
                readFile(std::string(TOVRIN_TEST_DATA_DIR) + "\\wizard\\cjk.sis"))
        << "the package differs from the Linux build's";
}

}  // namespace
