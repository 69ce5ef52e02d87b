// The checks on the scanned file list: names a file line cannot carry, and names the phone
// takes for one.

#include "src/package/entry_checks.h"

#include "src/package/check_order.h"

#include <gtest/gtest.h>

#include "src/platform/path.h"

using namespace tovrin;

namespace {

const std::string kSep(1, kSeparator);

std::string badName(const std::string& shown) {
    return "The file " + shown +
           " cannot be packaged: its name holds a quotation mark, a backslash or a control "
           "character.";
}

std::string sameName(const std::string& first, const std::string& second) {
    return "The files " + first + " and " + second +
           " cannot both be packaged: the phone does not tell their names apart.";
}

// É and é in the host's local text.
#ifdef _WIN32
const std::string kUpperE = "\xC9", kLowerE = "\xE9";
#else
const std::string kUpperE = "\xC3\x89", kLowerE = "\xC3\xA9";
#endif

TEST(EntryChecks, RefuseWhatAFileLineCannotCarryAndNamesThePhoneTakesForOne) {
    const std::string injected = kSep + "z\\..\\..\\secret\\id_rsa\"-\"!:\\loot.txt\"\n;";
    struct Case {
        const char* what;
        std::vector<std::string> entries;
        std::string message;
    } cases[] = {
        {"plain names pass",
         {kSep + "a.txt", kSep + "b" + kSep + "a.txt", kSep + kLowerE + ".txt", kSep + "ab.txt"},
         ""},
        {"no entries", {}, ""},
        {"a quotation mark", {kSep + "a.txt", kSep + "b\"c.txt"}, badName(kSep + "b\"c.txt")},
        {"control characters shown as ?", {kSep + "a\tb\x7F.txt"}, badName(kSep + "a?b?.txt")},
        {"the first bad entry in list order, before any pair",
         {kSep + "A.txt", kSep + "a.txt", injected},
         badName(kSep + "z\\..\\..\\secret\\id_rsa\"-\"!:\\loot.txt\"?;")},
        {"case of A to Z",
         {kSep + "Index.html", kSep + "index.html"},
         sameName(kSep + "Index.html", kSep + "index.html")},
        {"case of accented letters",
         {kSep + kUpperE + ".txt", kSep + "x", kSep + kLowerE + ".TXT"},
         sameName(kSep + kUpperE + ".txt", kSep + kLowerE + ".TXT")},
        {"case of a folder",
         {kSep + "doc" + kSep + "a", kSep + "DOC" + kSep + "b", kSep + "Doc" + kSep + "A"},
         sameName(kSep + "doc" + kSep + "a", kSep + "Doc" + kSep + "A")},
#ifndef _WIN32
        // Here "\" is a character of a name: the file line would read it as a folder.
        {"a backslash", {"/z\\..\\x.txt"}, badName("/z\\..\\x.txt")},
        {"Greek, with the final sigma",
         {"/\xCE\xA3\xCE\xB1.txt", "/\xCF\x83\xCE\x91.txt", "/\xCF\x82\xCE\xB1.txt"},
         sameName("/\xCE\xA3\xCE\xB1.txt", "/\xCF\x83\xCE\x91.txt")},
        {"Cyrillic",
         {"/\xD0\x94.txt", "/\xD0\xB4.txt"},
         sameName("/\xD0\x94.txt", "/\xD0\xB4.txt")},
        // A name that is not UTF-8 reads as Windows-1252, as the compiler reads it.
        {"the same name in Latin-1 and UTF-8",
         {"/caf\xE9.txt", "/CAF\xC3\x89.txt"},
         sameName("/caf\xE9.txt", "/CAF\xC3\x89.txt")},
        {"letters without a one-letter fold stay apart",
         {"/stra\xC3\x9F"
          "e",
          "/strasse", "/\xC4\xB1", "/i"},
         ""},
#endif
    };
    for (const Case& c : cases) EXPECT_EQ(checkEntries(c.entries), c.message) << c.what;
}

// A package holds 65535 file records, one of them the about text; the count is judged first,
// before any name, in the order both the window and tovrin-build run after the scan.
TEST(EntryChecks, RefuseMoreFilesThanAPackageHolds) {
    std::vector<std::string> entries;
    for (int i = 0; i < 65534; ++i) entries.push_back(kSep + "f" + std::to_string(i));
    EXPECT_EQ(checkProjectEntries(entries), "");
    entries.push_back(kSep + "bad\"name");
    EXPECT_EQ(checkProjectEntries(entries),
              "The project folder holds 65535 files, more than a package can hold: at most "
              "65534.");
}

}  // namespace
