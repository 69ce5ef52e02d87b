#pragma once
// The walk below a project folder that gives the file list: one entry per file, the native
// separator followed by the file's path below the project folder.

#include <string>
#include <vector>

namespace tovrin {

// Appends to `entries` the entry of every file anywhere below the folder `projectPath`,
// depth first, the entries of each folder in the order of their names' Unicode code points; a
// sub-folder's files stand where the sub-folder comes among its parent's entries. A sub-folder
// whose name holds a character the code page lacks (Windows) stands as an entry of its own.
//
// An entry is the separator followed by the file's full path less its first N characters,
// N being the length of `projectPath` as given: a path without its final separator thus gives
// entries that begin with two separators. Names beginning with "." are passed over, files
// and folders alike. Links to folders are followed, but a folder already on the way down
// from the project folder is not entered again. A folder that cannot be listed adds nothing;
// so does an empty `projectPath` (which would otherwise name the root of the drive).
void ScanFolder(const std::string& projectPath, std::vector<std::string>* entries);

}  // namespace tovrin
