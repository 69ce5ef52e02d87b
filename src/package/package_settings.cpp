#include "src/package/package_settings.h"

#include <algorithm>
#include <cctype>

#include "src/platform/batch_text.h"
#include "src/platform/local_text.h"
#include "src/platform/path.h"

namespace tovrin {
namespace {

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

}  // namespace

PackageSettings readSettings(const Window& w) {
    PackageSettings s;
    s.projectFolder = w.text(Control::txtProjPath);
    s.destinationFolder = w.text(Control::txtDest);
    s.name = w.text(Control::txtName);
    s.uid = w.text(Control::txtUID);
    s.major = w.text(Control::txtVer);
    s.minor = w.text(Control::txtMin);
    s.build = w.text(Control::txtBuild);
    s.language = w.text(Control::CmbLang);
    s.supportAll = w.value(Control::ckSupp) == 1;
    return s;
}

std::string checkDestination(const PackageSettings& s) {
    return s.destinationFolder.empty() ? "Insert a Path for the destination" : "";
}

// go.bat and del.bat quote a path that needs it, but a quotation mark in the path would end
// the quoting early and a line break would start a command of its own, so such a folder
// cannot be named in a script at all. No Windows path holds these characters.
std::string checkFoldersForScripts(const PackageSettings& s, const std::string& appFolder) {
    for (const std::string* folder : {&s.projectFolder, &s.destinationFolder, &appFolder}) {
        if (std::none_of(folder->begin(), folder->end(),
                         [](unsigned char c) { return c == '"' || isControl(c); }))
            continue;
        std::string shown = *folder;  // a control character cannot be shown in a message box
        std::replace_if(
            shown.begin(), shown.end(), [](unsigned char c) { return isControl(c); }, '?');
        return "The folder " + shown +
               " cannot be used: its name holds a quotation mark or a control character.";
    }
    return "";
}

std::string checkReadableInScripts(const PackageSettings& s, const std::string& appFolder) {
    std::string batch, missing;
    for (const std::string* folder : {&appFolder, &s.destinationFolder})
        if (!batchFolder(*folder, &batch, &missing))
            return unreadableInBatchMessage(*folder, missing);
    if (!batchText(s.name, &batch, &missing)) return unreadableInBatchMessage(s.name, missing);
    return "";
}

std::string checkName(const PackageSettings& s) { return s.name.empty() ? "Insert a name" : ""; }

// The name becomes the package's file name and stands in del.bat, so it must be a plain
// file name: no separator, no wildcard that would widen a del to other files.
std::string checkNameIsFileName(const PackageSettings& s) {
    // Characters, not bytes: the second byte of a double-byte character may be that of "\".
    for (std::size_t pos = 0; pos < s.name.size(); pos += characterLength(s.name, pos)) {
        if (characterLength(s.name, pos) > 1) continue;
        const auto c = static_cast<unsigned char>(s.name[pos]);
        if (isControl(c) ||
            std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos)
            return "The name must not contain \\ / : * ? \" < > |";
    }
    return "";
}

bool isDeviceName(const std::string& name) {
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();  // "CON .sis" is CON too
    for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

std::string checkNameIsNoDevice(const PackageSettings& s) {
    if (!kDeviceNamesReserved || !isDeviceName(s.name)) return "";
    return "The name must not be a device name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9)";
}

std::string checkUid(const PackageSettings& s) { return s.uid.empty() ? "Insert a UID" : ""; }

std::string checkUidLength(const PackageSettings& s) {
    return characterCount(s.uid) < 8 ? "UID must be 8 char lenght" : "";
}

std::string checkSource(const PackageSettings& s) {
    return s.projectFolder.empty() ? "Insert a Path for the source" : "";
}

}  // namespace tovrin
