#pragma once
// A build's hold on the folder it works in. The lock is the system's own, not a file whose
// presence means something: it ends when the FolderLock goes or the process ends, however it
// ends. On Linux the scripts a build starts inherit it, so a folder stays taken while a script
// of a wizard that was killed still runs in it; on Windows it stays with the wizard's process.

#include <memory>
#include <string>

namespace tovrin {

class FolderLock {
public:
    virtual ~FolderLock() = default;
};

// Takes the folder for this build. Null when another build holds it (in this process or
// another: then *taken is true) or when it cannot be locked at all (it is missing, its file
// system has no locks). On Windows the lock is a file of the folder opened for this build
// alone, deleted when it is let go.
std::unique_ptr<FolderLock> lockFolder(const std::string& folder, bool* taken);

}  // namespace tovrin
