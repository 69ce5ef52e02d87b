#pragma once
// makesis [-h] [-v] [-s] [-d directory] [-p password] [--root folder] [--drive X=folder]...
//         [--unsigned] [--temp-folder PREFIX] pkgfile [sisfile]
// makesis --help | --version
// --format er5|er6 (or --format=...) chooses the package's release; er6 is the default.
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
    std::string searchFolder;
    // What compressed records show in front of their temporary copy's name (UTF-8).
    std::string tempFolder = "X:\\MKS0\\";
    std::string rootFolder;  // for sources written "\a\b"
    std::map<char, std::string> driveFolders;  // lower-case letter: for sources written "X:\a"
    bool allowUnsigned = false;  // a signature line is read, checked and left out
    std::string script;
    std::string output;  // the script's name with ".sis" when not given
};

// False with a message when the arguments (without the program name) are wrong.
bool parseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string* err);

}  // namespace tovrin::makesis
