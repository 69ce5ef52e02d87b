// sislist --pkg: every package back to a script whose first line rebuilds it, byte for byte
// where our compiler can make the bytes; the forms the script takes; what is refused.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "src/platform/local_text.h"
#include "src/sis/crc.h"
#include "src/sis/sis_format.h"
#include "tests/makesis/library_run.h"
#include "tests/sis/package_builder.h"
#include "tests/support/temp_dir.h"
#include "tools/sislist/rebuild_line.h"
#include "tools/sislist/sislist.h"

namespace tovrin::sislist {
namespace {

namespace fs = std::filesystem;

const std::string kData = std::string(TOVRIN_TEST_DATA_DIR) + "/";

struct Result {
    int status;
    std::string out, err;
};

Result decompileInto(const fs::path& folder, const std::string& package,
                     const char* option = "--pkg") {
    std::ostringstream out, err;
    const int status = run({option, localText(folder), package}, out, err);
    return {status, out.str(), err.str()};
}

// The words of a command line as the host's shell reads them back.
std::vector<std::string> shellWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    const bool cmd = hostShell() == Shell::Cmd;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (!quoted && c == ' ') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (cmd && c == '\\' && line.find_first_not_of('\\', i) != std::string::npos &&
            line[line.find_first_not_of('\\', i)] == '"') {
            const size_t end = line.find_first_not_of('\\', i);
            word.append((end - i) / 2, '\\');
            i = end - 1;
        } else if (c == (cmd ? '"' : '\'')) {
            quoted = !quoted;
        } else if (!cmd && !quoted && c == '\\') {
            word.push_back(line[++i]);
        } else {
            word.push_back(c);
        }
    }
    if (inWord) words.push_back(word);
    // The script is UTF-8; the shell hands the compiler local 8-bit text.
    for (std::string& w : words) w = localFromUtf8(w);
    return words;
}

// The script's first line, without a BOM.
std::string firstLine(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".pkg") continue;
        std::string text = test::readFile(entry.path());
        if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
        return text.substr(0, text.find("\r\n"));
    }
    return "<no script>";
}

uint8_t* at(std::string& s, size_t offset) { return reinterpret_cast<uint8_t*>(&s[offset]); }

// A package made by our compiler from a script and its files.
struct Made {
    const char* name;
    std::vector<std::string> options;
    std::string script;
    std::map<std::string, std::string> files;
};

const std::string kComponent = test::readFile(kData + "makesis/no-language/expected.sis");

const std::string kMultiScript =
    "&EN,FR,GE\n"
    "#{\"Multi\"<34>\"EN\",\"Multi FR\",\"Multi D\xC3\x89\"},(0x10203040),2,5,7,SH,TYPE=SY\n"
    "(0x101F6F88),1,2,3,{\"S60 EN\",\"S60 FR\",\"S60 GE\"}\n"
    "(0x10000001),0,0,0,{\"Other\",\"Autre\",\"Andere\"}\n"
    "+(5=1,7=2)\n"
    "\"a.txt\"-\"\",FT,TS\n"
    "{\"a.txt\" \"fr.txt\" \"bom8.txt\"}-\"\",FT,TE\n"
    "\"u16.txt\"-\"\",FT\n"
    "\"bom8.txt\"-\"!:\\system\\apps\\Multi\\shown.txt\",FT\n"
    "!({\"Text viewer\",\"Visionneuse\",\"Betrachter\"},{\"PkZip\",\"PkZip FR\",\"PkZip GE\"})\n"
    "IF option1=1 AND (Language=2 OR NOT(EXISTS(\"c:\\system\\x\"<34>\"y.dll\")))\n"
    "\"bin.dat\"-\"!:\\system\\apps\\Multi\\bin.dat\",FR,RB,RW\n"
    "ELSEIF (MachineUid=0x101F4FC3) OR (option2<>0 AND Manufacturer>=2)\n"
    "\"bin.dat\"-\"c:\\system\\apps\\Multi\\other.dat\",FR,RI,RS\n"
    "@\"comp.sis\",(0x01000000)\n"
    "ELSEIF option2\n"
    "\"page.html\"-\"!:\\system\\apps\\Multi\\page.html\",FM,\"text/html\",RW\n"
    "ELSE\n"
    "\"\" - \"!:\\system\\apps\\Multi\\log.txt\",FN\n"
    "ENDIF\n"
    "{@\"comp.sis\" @\"comp.sis\" @\"comp.sis\"},(0x01000001)\n"
    "\"bin.dat\"-\"!:\\system\\apps\\Multi\\b.dat\"\n"
    "\"sub\\a.txt\"-\"!:\\..\\..\\up.txt\"\n"
    "\"a.txt\"-\"C:x\\odd.txt\"\n";

const std::map<std::string, std::string> kMultiFiles = {
    {"a.txt", "hello\r\n"},
    {"sub/a.txt", "hello again\n"},
    {"fr.txt", "bonjour \xC3\xA9\r\n"},
    {"bom8.txt", "\xEF\xBB\xBFwith a BOM\n"},
    {"u16.txt", std::string("\xFF\xFEh\0i\0", 6)},
    {"bin.dat", std::string(3000, '\x5A') + "tail"},
    {"page.html", "<html/>"},
    {"comp.sis", kComponent},
};

const std::string kEr5Script =
    "&EN,FR\n"
    "#{\"Demo\"<153>,\"D\xC3\xA9mo\"},(0x10005B91),2,3,4,ID,TYPE=SY\n"
    "(0x101F6F88),1,0,0,{\"Req\",\"Req FR\"}\n"
    "\"en.txt\"-\"\",FT,TS\n"
    "{\"en.txt\" \"fr.txt\"}-\"!:\\System\\Apps\\Demo\\t.txt\",FT\n"
    "!({\"One\",\"Un\"},{\"Two\",\"Deux\"})\n"
    "IF option1 AND NOT(Language=2)\n"
    "\"\\Projects\\opl\\a.txt\"-\"!:\\System\\Apps\\Demo\\a.txt\"\n"
    "ELSEIF option2\n"
    "\"C:\\work\\b.bin\"-\"c:\\System\\Apps\\Demo\\b.bin\",FR,RB,RW\n"
    "ELSE\n"
    "\"\" - \"!:\\System\\Apps\\Demo\\log.txt\",FN\n"
    "ENDIF\n";

const std::map<std::string, std::string> kEr5Files = {
    {"en.txt", "Hello ER5\r\n"},
    {"fr.txt", "Texte \xC3\xA9 \xE2\x82\xAC\r\n"},
    {"rooted/Projects/opl/a.txt", "rooted\n"},
    {"drive/work/b.bin", std::string(500, '\x01')},
};

const Made kMade[] = {
    {"Multi", {}, kMultiScript, kMultiFiles},
    {"MultiUncompressed",
     {},
     std::string(kMultiScript).replace(kMultiScript.find(",SH,TYPE=SY"), 11, ",NC,SH"),
     kMultiFiles},
    {"TempFolderOfAnotherMachine",
     {"--temp-folder", "C:\\Users\\J\xC3\xB6rg O'Neil\\AppData\\Local\\Temp\\MKS3\\"},
     kMultiScript,
     kMultiFiles},
    {"NoTempFolder",
     {"--temp-folder", ""},
     "#{\"Bare\"},(0x01000000),1,0,0\n\"a.txt\"-\"!:\\a.txt\"\n\"a.txt\"-\"\",FT\n",
     {{"a.txt", "a"}}},
    {"Er5RootedAndDrive",
     {"--format", "er5", "--root", "rooted", "--drive", "c=drive"},
     kEr5Script,
     kEr5Files},
    {"UncompressedRootedAndDrive",
     {"--root", "rooted", "--drive", "C=drive"},
     "#{\"Rooted\"},(0x10005B92),1,0,0,NC\n"
     "\"\\Projects\\opl\\a.txt\"-\"!:\\R\\a.txt\"\n"
     "\"\\projects\\OPL\\a.txt\"-\"!:\\R\\a2.txt\"\n"
     "\"c:\\work\\b.bin\"-\"!:\\R\\b.bin\"\n"
     "IF RemoteInstall\n"
     "\"sub\\.\\x.txt\"-\"!:\\R\\x.txt\"\n"
     "ENDIF\n",
     {{"rooted/Projects/opl/a.txt", "rooted\n"},
      {"rooted/projects/OPL/a.txt", "rooted\n"},
      {"drive/work/b.bin", "bin"},
      {"sub/x.txt", "x"}}},
};

struct RoundTrip {
    std::string name;
    std::string package;  // path of a package of tests/data; empty: made from `made`
    const Made* made = nullptr;
};

void PrintTo(const RoundTrip& c, std::ostream* os) { *os << c.name; }

std::vector<RoundTrip> roundTrips() {
    std::vector<RoundTrip> cases;
    for (const char* folder : {"makesis", "reference"}) {
        for (const auto& entry : fs::directory_iterator(kData + folder)) {
            const fs::path sis = entry.path() / "expected.sis";
            if (fs::exists(sis)) cases.push_back({entry.path().filename().string(), sis.string()});
        }
    }
    for (const auto& entry : fs::directory_iterator(kData + "wizard")) {
        cases.push_back({"wizard_" + entry.path().stem().string(), entry.path().string()});
    }
    for (const Made& m : kMade) cases.push_back({m.name, "", &m});
    for (RoundTrip& c : cases) {
        for (char& ch : c.name) ch = isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    }
    return cases;
}

// Builds a made package; returns its path.
std::string make(const test::TempDir& dir, const Made& m) {
    for (const auto& [path, bytes] : m.files) dir.write("src/" + path, bytes);
    dir.write("src/made.pkg", m.script);
    std::vector<std::string> args = m.options;
    args.insert(args.end(), {"made.pkg", "made.sis"});
    const test::LibraryRun built = test::runInFolder(dir.path() / "src", args);
    EXPECT_EQ(built.status, 0) << built.out;
    return (dir.path() / "src" / "made.sis").string();
}

class Decompile : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(Decompile, FirstLineRebuildsTheSameBytes) {
    test::TempDir dir;
    const std::string package = GetParam().made ? make(dir, *GetParam().made) : GetParam().package;
    const fs::path out = dir.path() / "out";
    const Result r = decompileInto(out, package);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("rebuilt in memory: the same bytes\n"), std::string::npos) << r.out;
    const std::string line = firstLine(out);
    ASSERT_EQ(line.rfind("; rebuild: makesis ", 0), 0u) << line;
    const std::vector<std::string> words =
        shellWords(line.substr(std::string("; rebuild: ").size()));
    const test::LibraryRun rebuilt =
        test::runInFolder(out, std::vector<std::string>(words.begin() + 1, words.end()));
    ASSERT_EQ(rebuilt.status, 0) << rebuilt.out;
    EXPECT_TRUE(test::readFile(out / pathFromLocal(words.back())) == test::readFile(package))
        << line;
}

INSTANTIATE_TEST_SUITE_P(All, Decompile, ::testing::ValuesIn(roundTrips()),
                         [](const auto& info) { return info.param.name; });

// One statement of a script and the line the decompiled script gives for it.
struct Form {
    const char* name;
    std::string languages;  // the language line
    std::string statement;
    std::string expected;
    std::string header = ",(0x01000000),1,0,0";
};

void PrintTo(const Form& f, std::ostream* os) { *os << f.name; }

class ScriptForm : public ::testing::TestWithParam<Form> {};

TEST_P(ScriptForm, ReadsBackAsWritten) {
    const Form& f = GetParam();
    test::TempDir dir;
    std::string names;
    for (size_t i = 0, n = std::count(f.languages.begin(), f.languages.end(), ',') + 1; i < n;
         ++i) {
        names += std::string(i ? "," : "") + "\"N" + std::to_string(i) + "\"";
    }
    const Made m{f.name,
                 {},
                 f.languages + "\n#{" + names + "}" + f.header + "\n" + f.statement + "\n",
                 {{"a.txt", "a"}, {"b.txt", "b"}, {"c.sis", kComponent}}};
    const std::string package = make(dir, m);
    const Result r = decompileInto(dir.path() / "out", package);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("rebuilt in memory: the same bytes\n"), std::string::npos) << r.out;
    const std::string script = test::readFile(dir.path() / "out" / "N0.pkg");
    EXPECT_NE(script.find("\r\n" + f.expected + "\r\n"), std::string::npos) << script;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ScriptForm,
    ::testing::Values(
        Form{"LanguagesInScriptOrder", "&FR,EN,24,48", "", "&FR,EN,24,SA"},
        Form{"HeaderOptions", "&EN", "", "#{\"N0\"},(0x01000000),1,0,0,NC,SH,TYPE=SC",
             ",(0x01000000),1,0,0,TYPE=SC,SH,NC\n(0x01000000),0,0,0,{\"me\"}"},
        Form{"RequisitePerLanguage", "&EN,FR", "(0x101F6F88),0,9,1,{\"S60\",\"S60 FR\"}",
             "(0x101F6F88),0,9,1,{\"S60\",\"S60 FR\"}"},
        Form{"CapabilitiesInScriptOrder", "&EN", "+(5=1,7=2)", "+(5=1,7=2)"},
        Form{"TextWithoutOptionKeepsItsTarget", "&EN", "\"a.txt\"-\"\",FT", "\"c\\a.txt\"-\"\",FT"},
        Form{"TextOptionEmptiesTarget", "&EN", "\"a.txt\"-\"\",FT,TA", "\"a.txt\"-\"\",FT,TA"},
        Form{"RunOptions", "&EN", "\"a.txt\"-\"!:\\a.txt\",FR,RR,RW",
             "\"!\\a.txt\"-\"!:\\a.txt\",FR,RR,RW"},
        Form{"NullFile", "&EN", "\"a.txt\"-\"c:\\log.txt\",FN", "\"\"-\"c:\\log.txt\",FN"},
        Form{"MimeFile", "&EN", "\"a.txt\"-\"!:\\a.htm\",FM,\"text/html\",RS",
             "\"!\\a.txt\"-\"!:\\a.htm\",FM,\"text/html\",RS"},
        Form{"LanguageBlockInScriptOrder", "&EN,FR", "{\"a.txt\" \"b.txt\"}-\"!:\\x.txt\"",
             "{\"!\\x.txt.EN\" \"!\\b.txt\"}-\"!:\\x.txt\""},
        Form{"Component", "&EN", "@\"c.sis\",(0x01000000)", "@\"c.sis\",(0x01000000)"},
        Form{"OptionsInScriptOrder", "&EN,FR", "!({\"One\",\"Un\"},{\"Two\",\"Deux\"})",
             "!({\"One\",\"Un\"},{\"Two\",\"Deux\"})"},
        Form{"BareCondition", "&EN", "IF NOT(option1)\nELSEIF 5\nENDIF", "ELSEIF 5"},
        Form{"BracketsKeepTheTree", "&EN",
             "IF (Language=1 OR Language=2) AND (option1 AND (option2 OR option3))\nENDIF",
             "IF (Language=1 OR Language=2) AND (option1 AND (option2 OR option3))"},
        Form{"UidsInHex", "&EN", "IF APPCAP(0x10005B91,3) OR MachineUid>=0x101F4FC3\nENDIF",
             "IF APPCAP(0x10005B91,3) OR MachineUid>=0x101F4FC3"},
        Form{"CodesWhereQuotesCannotHoldACharacter", "&EN",
             "IF EXISTS(\"a\"<34>\"b\"<9><0x41>)\nENDIF", "IF EXISTS(\"a\"<34>\"b\"<9>\"A\")"},
        Form{"TargetsAsStored", "&EN", "\"a.txt\"-\"system\\a.txt\"",
             "\"c\\system\\a.txt\"-\"c:\\system\\a.txt\""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DecompileStrange, SourcePathsThatCannotBeMadeKeepTheContents) {
    test::TempDir dir;
    // An uncompressed package shows its sources as written: "..\up.txt" would leave the
    // folder; and once "two" reads "one", two sources of different data share a name.
    const Made m{"Strange",
                 {},
                 "#{\"Strange\"},(0x01000000),1,0,0,NC\n"
                 "\"..\\up.txt\"-\"!:\\up.txt\"\n"
                 "\"one\\x.txt\"-\"!:\\x1.txt\"\n"
                 "\"two\\x.txt\"-\"!:\\x2.txt\"\n",
                 {{"one/x.txt", "1"}, {"two/x.txt", "2"}}};
    dir.write("up.txt", "up");
    std::string bytes = test::readFile(make(dir, m));
    const std::string two("t\0w\0o\0", 6);
    bytes.replace(bytes.find(two), two.size(), std::string("o\0n\0e\0", 6));
    sis::writeU16(at(bytes, sis::header::kChecksum),
                  sis::packageChecksum(bytes.data(), bytes.size()));
    const std::string package = dir.write("strange.sis", bytes).string();
    const fs::path out = dir.path() / "out";
    const Result r = decompileInto(out, package);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("the same contents, not the same bytes"), std::string::npos) << r.out;
    const std::string line = firstLine(out);
    EXPECT_EQ(line.rfind("; rebuild (same contents, not the same bytes: ", 0), 0u) << line;
    EXPECT_NE(line.find("a source path that cannot be made below the folder: \"..\\up.txt\""),
              std::string::npos)
        << line;
    EXPECT_NE(line.find("sources of different data with one name: \"one\\x.txt\""),
              std::string::npos)
        << line;
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(out))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 4u);  // the script and three sources, all below the folder
    const std::vector<std::string> words = shellWords(line.substr(line.find("): ") + 3));
    EXPECT_EQ(
        test::runInFolder(out, std::vector<std::string>(words.begin() + 1, words.end())).status, 0);
}

// Packages of other compilers, made from ours: what differs is said on the first line, and
// the script builds.
struct Foreign {
    const char* name;
    std::string script;
    void (*patch)(std::string& package);
    std::string line;  // in front of ": makesis [--format er5] Foreign.pkg Foreign.sis"
    bool er5 = false;
    // The package, where no script of ours gives its kind; `line` is then how the first line
    // begins (the writer's layout differs in more than the case).
    std::string (*built)() = nullptr;
};

void PrintTo(const Foreign& c, std::ostream* os) { *os << c.name; }

// The first record's one fork, at the end of the package, deflated at level 1.
void deflateFaster(std::string& p) {
    const size_t record = sis::readU32(at(p, sis::header::kFilesPtr));
    const size_t data = sis::readU32(at(p, record + sis::file_record::dataPtrs(1)));
    std::string original(sis::readU32(at(p, record + sis::file_record::originalLengths(1))), '\0');
    uLongf size = static_cast<uLongf>(original.size());
    uncompress(at(original, 0), &size, at(p, data), static_cast<uLong>(p.size() - data));
    std::string stream(compressBound(size), '\0');
    uLongf streamSize = static_cast<uLongf>(stream.size());
    compress2(at(stream, 0), &streamSize, at(original, 0), size, 1);
    p = p.substr(0, data) + stream.substr(0, streamSize);
    sis::writeU32(at(p, record + sis::file_record::storedLengths(1)),
                  static_cast<uint32_t>(streamSize));
}

// The unused word of the attribute node of the IF record (after ENDIF and a file record).
void fillUnusedWord(std::string& p) {
    const size_t record = sis::readU32(at(p, sis::header::kFilesPtr)) +
                          sis::condition_record::kBranchRecordSize +
                          sis::file_record::size(1, true);
    sis::writeU32(at(p, record + sis::condition_record::kExpression + 4 + 8), 0x0012F404);
}

// The attribute of the IF record (after ENDIF and a file record) one no script names.
void unnamedAttribute(std::string& p) {
    const size_t record = sis::readU32(at(p, sis::header::kFilesPtr)) +
                          sis::condition_record::kBranchRecordSize +
                          sis::file_record::size(1, true);
    sis::writeU32(at(p, record + sis::condition_record::kExpression + 4 + 4), 0x7777);
}

// A target another compiler could store, ours cannot: "!:" becomes "!_".
void targetWithoutDrive(std::string& p) {
    const size_t colon = p.find(std::string("!\0:\0", 4));
    p[colon + 2] = '_';
}

// Each file run on removal or on both that is waited for, no longer waited for: what the
// compiler refuses to make. The package's records are simple file records.
void runWithoutWaiting(std::string& p) {
    const size_t records = sis::readU32(at(p, sis::header::kFilesPtr));
    for (size_t i = 0; i < sis::readU16(at(p, sis::header::kFileCount)); ++i) {
        uint8_t* details =
            at(p, records + i * sis::file_record::size(1, true) + sis::file_record::kDetails);
        if (sis::readU32(details) & sis::kRunWaitEnd && (sis::readU32(details) & 0xFF) != 0)
            sis::writeU32(details, sis::readU32(details) & ~sis::kRunWaitEnd);
    }
}

// The installer version of some ER5 packages of other compilers.
void installerVersion16(std::string& p) {
    sis::writeU32(at(p, sis::header::kInstallerVersion), 16);
}

// A package type past the last one a script names.
void packageType7(std::string& p) { sis::writeU16(at(p, sis::header::kType), 7); }

// Details no option says in the first record, an FM one: a bit beside RS and RW.
void mimeDetails(std::string& p) {
    uint8_t* details =
        at(p, sis::readU32(at(p, sis::header::kFilesPtr)) + sis::file_record::kDetails);
    sis::writeU32(details, sis::readU32(details) | 0x1000);
}

// What no compiler of ours makes, from a writer of this test's own: an FN line of a language
// block, an options list without options, languages the compiler does not take.
test::PackageBuilder foreignBuilder(std::vector<uint16_t> languages) {
    test::PackageBuilder b;
    b.names.assign(languages.size(), "Foreign");
    b.languages = std::move(languages);
    return b;
}

std::string nullFileInABlock() {
    test::PackageBuilder b = foreignBuilder({1, 2});
    b.file(static_cast<uint32_t>(sis::FileType::Null), 0, "", "!:\\log.txt", {"", ""}, true);
    return b.build();
}

std::string emptyOptionsList() {
    test::PackageBuilder b = foreignBuilder({1});
    b.optionsList({});
    return b.build();
}

std::string languagesTheCompilerRefuses() { return foreignBuilder({2, 1, 2000, 1}).build(); }

class DecompileForeign : public ::testing::TestWithParam<Foreign> {};

TEST_P(DecompileForeign, FirstLineSaysWhatDiffers) {
    test::TempDir dir;
    const Made m{
        "Foreign",
        GetParam().er5 ? std::vector<std::string>{"--format", "er5"} : std::vector<std::string>{},
        GetParam().script,
        {{"a.txt", std::string(4000, 'a') + "b"}}};
    std::string bytes = GetParam().built ? GetParam().built() : test::readFile(make(dir, m));
    if (GetParam().patch) GetParam().patch(bytes);
    sis::writeU16(at(bytes, sis::header::kChecksum),
                  sis::packageChecksum(bytes.data(), bytes.size()));
    const std::string package = dir.write("foreign.sis", bytes).string();
    const fs::path out = dir.path() / "out";
    const Result r = decompileInto(out, package);
    const bool same = GetParam().line.find("(same contents") != std::string::npos;
    EXPECT_EQ(r.status, same ? 0 : 1) << r.err;
    const std::string line = firstLine(out);
    if (GetParam().built)
        EXPECT_EQ(line.rfind(GetParam().line, 0), 0u) << line;
    else
        EXPECT_EQ(line, GetParam().line + ": makesis " + (GetParam().er5 ? "--format er5 " : "") +
                            "Foreign.pkg Foreign.sis");
    const std::vector<std::string> words = shellWords(line.substr(line.find("): ") + 3));
    const test::LibraryRun rebuilt =
        test::runInFolder(out, std::vector<std::string>(words.begin() + 1, words.end()));
    EXPECT_EQ(rebuilt.status, 0) << rebuilt.out;
}

INSTANTIATE_TEST_SUITE_P(
    All, DecompileForeign,
    ::testing::Values(
        Foreign{"AnotherDeflate", "#{\"Foreign\"},(0x01000000),1,0,0\n\"a.txt\"-\"!:\\a.txt\"\n",
                deflateFaster,
                "; rebuild (same contents, not the same bytes: data compressed by another deflate "
                "than zlib's level 6)"},
        Foreign{"UninitialisedWords",
                "#{\"Foreign\"},(0x01000000),1,0,0\nIF option1=1\n\"a.txt\"-\"!:\\a.txt\"\nENDIF\n",
                fillUnusedWord,
                "; rebuild (same contents, not the same bytes: conditions hold uninitialised "
                "words)"},
        Foreign{"TargetWithoutDrive",
                "#{\"Foreign\"},(0x01000000),1,0,0\n\"a.txt\"-\"!:\\a.txt\"\n", targetWithoutDrive,
                "; rebuild (not the same contents: the installation drive; record 0: its target)"},
        Foreign{
            "RunOnRemovalWithoutWaiting",
            "#{\"Foreign\"},(0x01000000),1,0,0\n\"a.txt\"-\"!:\\a.txt\"\n"
            "\"a.txt\"-\"!:\\undo.exe\",FR,RR,RW\n\"a.txt\"-\"!:\\both.exe\",FR,RB,RW,RS\n",
            runWithoutWaiting,
            "; rebuild (not the same contents: file 2 (\"!:\\undo.exe\") runs on removal without "
            "waiting; the compiler needs RW with RR, so the script adds it; file 3 "
            "(\"!:\\both.exe\") runs on installation and removal without waiting; the compiler "
            "needs RW with RB, so the script adds it)"},
        Foreign{"Er5InstallerVersion",
                "#{\"Foreign\"},(0x01000000),1,0,0\n\"a.txt\"-\"!:\\a.txt\"\n", installerVersion16,
                "; rebuild (not the same contents: the package asks for installer version 16, the "
                "rebuilt one for 100: no script can say another, the compiler writes 100 in every "
                "ER5 package)",
                true},
        Foreign{"DetailsNoOptionSays",
                "#{\"Foreign\"},(0x01000000),1,0,0\n"
                "\"a.txt\"-\"!:\\a.htm\",FM,\"text/html\",RW\n",
                mimeDetails,
                "; rebuild (not the same contents: file 1 (\"!:\\a.htm\") holds details 0x1200, "
                "which no option says, so the script gives it FM,\"text/html\",RW)"},
        Foreign{"AttributeWithoutAName",
                "#{\"Foreign\"},(0x01000000),1,0,0\nIF option1=1\n\"a.txt\"-\"!:\\a.txt\"\nENDIF\n",
                unnamedAttribute,
                "; rebuild (not the same contents: a condition tests attribute 0x00007777, which "
                "has no name, so the script tests 0=1 there)"},
        Foreign{"PackageTypeWithoutAName",
                "#{\"Foreign\"},(0x01000000),1,0,0\n\"a.txt\"-\"!:\\a.txt\"\n", packageType7,
                "; rebuild (not the same contents: package type 7 has no name in a script, so "
                "the rebuilt package has type SA)"},
        Foreign{"NullFileInABlock", "", nullptr,
                "; rebuild (not the same contents: file 1 (\"!:\\log.txt\") is an FN line in a "
                "language block, which the compiler refuses, so the script gives one FN line for "
                "every language",
                false, nullFileInABlock},
        Foreign{"EmptyOptionsList", "", nullptr,
                "; rebuild (not the same contents: an options list without options, which no "
                "script can say, is left out",
                false, emptyOptionsList},
        Foreign{"LanguagesTheCompilerRefuses", "", nullptr,
                "; rebuild (not the same contents: language 2000 has a number above the "
                "compiler's 0 to 1000, so the script gives language 1000 in its place; language "
                "EN is given twice, which the compiler refuses, so the script gives language 999 "
                "in its place",
                false, languagesTheCompilerRefuses}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DecompileStrange, EmbeddedPackagesDecompiledWithPkgAll) {
    test::TempDir dir;
    const Made m{"Outer",
                 {},
                 "#{\"Outer\"},(0x01000000),1,0,0\n@\"c.sis\",(0x01000000)\n",
                 {{"c.sis", kComponent}}};
    const std::string package = make(dir, m);
    const Result r = decompileInto(dir.path() / "out", package, "--pkg-all");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(firstLine(dir.path() / "out" / "c.sis-pkg"),
              "; rebuild: makesis Hello.pkg Hello.sis");
    EXPECT_TRUE(fs::exists(dir.path() / "out" / "c.sis-pkg" / "!" / "system" / "apps" / "Hello" /
                           "hello.txt"));
}

struct Refusal {
    const char* name;
    std::string package;  // bytes
    bool folderHoldsAFile;
    std::string err;  // start of the error after "<package>: "
};

void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

class DecompileRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(DecompileRefusal, WritesNothing) {
    test::TempDir dir;
    const std::string package = dir.write("p.sis", GetParam().package).string();
    const fs::path out = dir.path() / "out";
    if (GetParam().folderHoldsAFile) dir.write("out/kept.txt", "kept");
    const Result r = decompileInto(out, package);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind(package + ": " + GetParam().err, 0), 0u) << r.err;
    EXPECT_EQ(fs::exists(out), GetParam().folderHoldsAFile);
    if (GetParam().folderHoldsAFile) EXPECT_EQ(test::folderNames(out).size(), 1u);
}

const std::string kWizard = test::readFile(kData + "makesis/s60-wizard/expected.sis");

INSTANTIATE_TEST_SUITE_P(
    All, DecompileRefusal,
    ::testing::Values(Refusal{"Truncated", kWizard.substr(0, 200), false, "record 0 at "},
                      Refusal{"DamagedData",
                              std::string(kWizard).replace(kWizard.size() - 20, 4, "\0\0\0\0", 4),
                              false, "checksum: "},
                      Refusal{"FolderHoldsFiles", kWizard, true, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovrin::sislist
