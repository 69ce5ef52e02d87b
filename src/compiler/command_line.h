#pragma once
// makesis [-h] [-v] [-s] [-d directory] [-p password] [--root folder] [--drive X=folder]...
//         [--unsigned] [--no-system-mark] [--temp-folder PREFIX] pkgfile [sisfile]
// makesis --help | --version
// --format er5|er6|sis9 (or --format=...) chooses the package's release; without it a script
// with a statement only Symbian 9 scripts have is built as a Symbian 9 package, any other as
// ER6. --time YYYY-MM-DDTHH:MM:SS (UTC) is the creation time a Symbian 9 package stores.
//
// Options start with "-" (case does not matter). The folder of -d and the password of -p may
// follow the letter directly ("-da") or as the next argument. The long options are written
// as shown, their values as the next argument. Anything else is a file name, an absolute path
// starting with "/" included.

#include <map>
#include <string>
#include <vector>

namespace tovrin::makesis {

struct CommandLine {
    bool help = false;
    bool version = false;
    bool verbose = false;
    bool stub = false;
    bool er5 = false;  // --format er5: 8-bit strings, uncompressed data, the 68-byte header
    bool sis9 = false;         // --format sis9
    bool formatGiven = false;  // --format named the release
    // --time as seconds since 1970 (UTC); -1 when not given.
    long long time = -1;
    std::string searchFolder;
    // What compressed records show in front of their temporary copy's name (UTF-8).
    std::string tempFolder = "X:\\MKS0\\";
    std::string rootFolder;  // for sources written "\a\b"
    std::map<char, std::string> driveFolders;  // lower-case letter: for sources written "X:\a"
    bool allowUnsigned = false;  // a signature line is read, checked and left out
    bool noSystemMark = false;   // --no-system-mark: Symbian 9 files without option bit 0x8000
    std::string script;
    std::string output;  // the script's name with ".sis" when not given
};

// YYYY-MM-DDTHH:MM:SS read as UTC, to seconds since 1970; false when it is no such time.
bool parseUtcTime(const std::string& text, long long* seconds);

// False with a message when the arguments (without the program name) are wrong.
bool parseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string* err);

}  // namespace tovrin::makesis
