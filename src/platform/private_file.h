#pragma once
// Files that hold secrets (private keys) and the folder where the user's own settings live.

#include <string>

namespace tovrin {

// Writes `bytes` to `path` whole or not at all: under a temporary name in the same folder,
// created readable and writable by its owner alone from the first byte (Linux: mode 0600 at
// creation, whatever the umask; Windows: the folder's inherited access, which in the user's
// profile is the user's alone), then renamed over `path`. An existing file is replaced only by a
// whole one. False with a message naming the file.
bool writeOwnerOnlyFile(const std::string& path, const std::string& bytes, std::string* err);

// Whether only the owner can read or write the file (Linux: no group or other bits; Windows:
// true). False too when the file cannot be examined.
bool isOwnerOnlyFile(const std::string& path);

// The user's configuration folder for Tovrin, without a final separator:
// $XDG_CONFIG_HOME/tovrin (~/.config/tovrin where XDG_CONFIG_HOME is unset or not absolute) on
// Linux, %APPDATA%\Tovrin on Windows; empty when the host names no such place.
std::string userConfigFolder();

// Makes the folder and its missing parents (Linux: the new ones mode 0700, as settings folders
// are). False with a message when it cannot.
bool makeConfigFolder(const std::string& folder, std::string* err);

}  // namespace tovrin
