#pragma once
// Finds the source files a script names: relative to the current folder, then in the search
// folder given with -d. Scripts written on Windows separate folders with "\"; elsewhere a
// name not found as written is tried again with every "\" read as "/" (a "\" can be part of
// a file name there, so the name as written comes first).
//
// Scripts also name files from the root of the drive they were written on ("\a\b.app") or
// with a drive letter ("C:\a\b.app"). Given a root folder, a rooted name is looked up below
// it; given a folder for a letter, a name with that letter (either case) is looked up below
// that folder; without them such names keep the host's meaning. A rooted name not found is
// also looked up below the search folder.
//
// Where the host's file system tells "A" from "a", a name found nowhere as written is looked
// for again in the same places without regard to letter case (see case_blind_path.h).

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "src/pkg/pkg_model.h"

namespace tovrin::makesis {

struct LookupFolders {
    std::u16string search;                      // -d
    std::u16string root;                        // for "\a\b"
    std::map<char16_t, std::u16string> drives;  // lower-case letter: for "X:\a"
    // Stands for the current folder when not empty: what is named from the current folder,
    // and relative folders, are looked up below it. The names a package shows do not change.
    std::filesystem::path current;
};

class SourceLookup {
public:
    explicit SourceLookup(LookupFolders folders) : folders_(std::move(folders)) {}

    // False when no regular file answers to the name, or more than one when letter case is
    // ignored: `matches` then lists them.
    bool find(const std::u16string& written, Source& found,
              std::vector<std::string>& matches) const;

private:
    LookupFolders folders_;
};

// The file-system path for a text (on POSIX hosts its bytes, see nameBytes; UTF-16 on
// Windows).
std::filesystem::path pathFromText(const std::u16string& text);

}  // namespace tovrin::makesis
