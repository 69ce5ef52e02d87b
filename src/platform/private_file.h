#pragma once
// Files that hold secrets (private keys) and the folder where the user's own settings live.

#include <string>

namespace tovrin {

// A secret written whole under a temporary name beside `path`, readable and writable by its
// owner alone from its first byte (Linux: mode 0600 at creation, whatever the umask; Windows: a
// protected access list that grants the current user alone, whatever the folder would pass
// down). commit() renames it over `path`, so an existing file is replaced only by a whole one;
// destroyed uncommitted, it leaves `path` as it was and removes the temporary file.
class PendingPrivateFile {
public:
    explicit PendingPrivateFile(std::string path);
    ~PendingPrivateFile();
    PendingPrivateFile(const PendingPrivateFile&) = delete;
    PendingPrivateFile& operator=(const PendingPrivateFile&) = delete;

    // Writes the bytes under the temporary name. False with a message naming the file.
    bool write(const std::string& bytes, std::string* err);
    bool commit(std::string* err);

private:
    std::string path_;
    std::string temp_;  // empty until written, and again once renamed
};

// write() and commit() of one PendingPrivateFile.
bool writeOwnerOnlyFile(const std::string& path, const std::string& bytes, std::string* err);

// Whether only the owner can read or write the file (Linux: no group or other bits; Windows: an
// access list whose every grant is to the current user or to the system itself). False too
// when the file cannot be examined.
bool isOwnerOnlyFile(const std::string& path);

// The user's configuration folder for Tovrin, without a final separator:
// $XDG_CONFIG_HOME/tovrin (~/.config/tovrin where XDG_CONFIG_HOME is unset or not absolute) on
// Linux, %APPDATA%\Tovrin on Windows; empty when the host names no such place.
std::string userConfigFolder();

// Makes the folder and its missing parents (Linux: the new ones mode 0700, as settings folders
// are). False with a message when it cannot.
bool makeConfigFolder(const std::string& folder, std::string* err);

}  // namespace tovrin
