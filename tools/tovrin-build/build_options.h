#pragma once
// tovrin-build [options] PROJECT_FOLDER
//
// Each option stands for one control of the wizard's window and defaults to its initial value.
// A value follows its option as the next argument, or after "=" for a long option and
// directly for a short one ("-nDemo"). "--" ends the options.

#include <string>
#include <vector>

namespace tovrin::build {

struct BuildOptions {
    std::string project;
    std::string destination;  // empty: the project folder
    std::string name = "Name";
    std::string uid = "01000000";
    std::string uidFrom;  // a package whose UID is taken; empty: `uid` holds
    std::string major = "1", minor = "0", build = "0";
    std::string language;  // as given; empty: no language line
    bool series60 = true;
    // --format sis9: a Symbian 9 package for S60 3rd edition and later, signed.
    bool sis9 = false;
    std::string vendor;      // empty: the default of Sis9Settings
    std::string platform;    // hexadecimal; empty: S60 3rd edition and later
    std::string certificate, key, password;  // empty: the user's own self-signed certificate
    bool pkgOnly = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

// False with a message when the arguments (without the program name) are wrong. A value
// longer than its box in the window holds is wrong too.
bool parseBuildOptions(const std::vector<std::string>& args, BuildOptions& options,
                       std::string* error);

// The short text shown with a usage error, and the whole help.
extern const char* const kUsage;
extern const char* const kHelp;

}  // namespace tovrin::build
