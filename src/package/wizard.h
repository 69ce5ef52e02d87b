#pragma once
// What the window's procedures share beyond the controls: the application folder, the folder
// a build works in, the way scripts are started, and the two script processes of a build,
// kept only so that a tick can ask whether they still run.

#include <memory>
#include <string>

#include "src/platform/folder_lock.h"
#include "src/platform/process.h"
#include "src/platform/window.h"
#include "src/sis/package_stamp.h"

namespace tovrin {

struct Wizard {
    Window& window;
    std::string appFolder;  // without a final separator
    // Where builds work: the application folder, or the per-user folder where that cannot be
    // written (see src/platform/work_folder.h).
    std::string workFolder;
    ScriptStarter& starter;
    std::unique_ptr<StartedProcess> goBat;
    std::unique_ptr<StartedProcess> delBat;
    std::string buildFailure;  // shown once the window is idle again; empty after a delivery
    // Set by the delivery tick when a package was made: where del.bat delivers it, the package
    // itself and what lay at the target before, checked by the clean-up tick.
    std::string target;
    PackageStamp made;
    PackageStamp earlier;
    std::string deliveryCopy;  // the package's copy in the destination before it is moved
    // Whose bin the build in flight writes into and go.bat and del.bat name, held from the
    // click to the clean-up tick: workFolder, or a folder of the window's own when another
    // build holds that.
    std::string buildFolder;
    std::unique_ptr<FolderLock> buildFolderLock;
};

// Busy state: the whole window disabled and the busy panel shown. Leaving it gives the focus
// to "Create .sis file".
void enterBusyState(Window& w);
void leaveBusyState(Window& w);
// True from entering the busy state to leaving it: a build is in flight.
bool isBusy(const Window& w);

// The "Error" box.
void reportError(Window& w, const std::string& message);

// True while no build is in flight, so the window may be closed.
bool mayClose(const Wizard& wizard);

}  // namespace tovrin
