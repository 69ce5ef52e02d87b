#pragma once
// Where a build writes its files. They go to <application folder>/bin where that can be
// written (the build tree, a zip unpacked in a writable folder); where it cannot (an installed
// program, a zip unpacked under Program Files) the build works in a per-user folder of the
// same shape, whose bin holds a copy of the compiler so that go.bat runs it by its bare name.
// languages.wzl is read from the application folder either way.

#include <memory>
#include <string>

#include "src/platform/folder_lock.h"

namespace tovrin {

// The per-user folder: $XDG_CACHE_HOME/tovrin (~/.cache/tovrin where XDG_CACHE_HOME is unset
// or not absolute) on Linux, %LOCALAPPDATA%\Tovrin on Windows; empty when the host names no
// such place. Without a final separator.
std::string userWorkFolder();

// The application folder when a file can be made in its bin (tried, not judged by permission
// bits, which root ignores); otherwise userWorkFolder().
std::string chooseWorkFolder(const std::string& appFolder);

// Readies <workFolder>/bin for a build. The application folder needs nothing; another folder
// gets its bin made when missing and a copy of <appFolder>/bin/makesis.exe when it has none or
// a different one. False when that cannot be done, with *err naming the folders.
bool prepareWorkFolder(const std::string& appFolder, const std::string& workFolder,
                       std::string* err);

// Takes a folder for one build, locked (its bin) and readied: `preferred` when no other build
// holds it, otherwise the first free one of the per-user folder and the folders 2, 3, ... below
// it, each of the same shape with its own copy of the compiler. The lock is taken before the
// folder is readied, so no two builds ever write one folder. A folder that cannot be locked at
// all is used without a lock (*lock null), as it was before locks. False when there is none,
// with *err saying why.
bool takeWorkFolder(const std::string& appFolder, const std::string& preferred, std::string* folder,
                    std::unique_ptr<FolderLock>* lock, std::string* err);

}  // namespace tovrin
