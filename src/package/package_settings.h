#pragma once
// The values of one create command, each the verbatim text of one control, and the checks
// made on them. Each check returns its message, or the empty text when it passes.

#include <string>

#include "src/platform/window.h"

namespace tovrin {

struct PackageSettings {
    std::string projectFolder;      // txtProjPath
    std::string destinationFolder;  // txtDest
    std::string name;               // txtName
    std::string uid;                // txtUID
    std::string major;              // txtVer
    std::string minor;              // txtMin
    std::string build;              // txtBuild
    std::string language;           // CmbLang's selected entry
    bool supportAll = false;        // ckSupp ticked (value 1); greyed counts as not ticked
};

PackageSettings readSettings(const Window& window);

std::string checkDestination(const PackageSettings& s);  // check 1
// Right after check 1: the project, destination and application folders must be writable
// into a batch line.
std::string checkFoldersForScripts(const PackageSettings& s, const std::string& appFolder);
// Then: the application and destination folders and the name must be readable by the command
// interpreter (on Windows, in its OEM code page or, for a folder, by its short name).
std::string checkReadableInScripts(const PackageSettings& s, const std::string& appFolder);
std::string checkName(const PackageSettings& s);            // check 2
std::string checkNameIsFileName(const PackageSettings& s);  // right after check 2
// Then, where the host reserves device names (Windows): the name must not be one, since copy
// would write the package into the device.
std::string checkNameIsNoDevice(const PackageSettings& s);
bool isDeviceName(const std::string& name);
// Then: <destination><name>.sis, where del.bat delivers the package, must be a file or
// nothing. A folder there would make del ask for a confirmation nobody can give, and copy
// would write into it.
std::string checkTargetIsFile(const PackageSettings& s);
std::string checkUid(const PackageSettings& s);        // check 3
std::string checkUidLength(const PackageSettings& s);  // check 4
std::string checkSource(const PackageSettings& s);     // check 5

}  // namespace tovrin
