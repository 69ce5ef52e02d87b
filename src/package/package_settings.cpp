#include "src/package/package_settings.h"

#include <algorithm>

#include <sys/stat.h>

#include "src/package/control_characters.h"
#include "src/platform/batch_text.h"
#include "src/platform/local_text.h"
#include "src/platform/path.h"

namespace tovrin {

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
                         [](unsigned char c) { return c == '"' || isControlCharacter(c); }))
            continue;
        return "The folder " + withControlsShown(*folder) +
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
        if (isControlCharacter(c) ||
            std::string("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string::npos)
            return "The name must not contain \\ / : * ? \" < > |";
    }
    return "";
}

// Compared by characters, so that "COM" or "LPT" with a superscript digit (¹, ², ³: two bytes
// in UTF-8) names a port as well.
bool isDeviceName(const std::string& name) {
    std::u32string base = codePoints(name);
    base.erase(std::find(base.begin(), base.end(), U'.'), base.end());
    while (!base.empty() && base.back() == U' ') base.pop_back();  // "CON .sis" is CON too
    for (char32_t& c : base)
        if (c >= U'a' && c <= U'z') c = c - U'a' + U'A';
    if (base == U"CON" || base == U"PRN" || base == U"AUX" || base == U"NUL") return true;
    if (base.size() != 4 || (base.compare(0, 3, U"COM") != 0 && base.compare(0, 3, U"LPT") != 0))
        return false;
    const char32_t digit = base[3];
    return (digit >= U'1' && digit <= U'9') || digit == U'\u00B9' || digit == U'\u00B2' ||
           digit == U'\u00B3';
}

std::string checkNameIsNoDevice(const PackageSettings& s) {
    if (!kDeviceNamesReserved || !isDeviceName(s.name)) return "";
    return "The name must not be a device name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9)";
}

std::string checkTargetIsFile(const PackageSettings& s) {
    const std::string target = s.destinationFolder + s.name + ".sis";
#ifdef _WIN32
    struct _stat64 info;
    if (::_stat64(target.c_str(), &info) != 0 || (info.st_mode & _S_IFREG)) return "";
#else
    struct stat info;
    if (::stat(target.c_str(), &info) != 0 || S_ISREG(info.st_mode)) return "";
#endif
    return "The package cannot replace " + target + ": it is not a file.";
}

std::string checkUid(const PackageSettings& s) { return s.uid.empty() ? "Insert a UID" : ""; }

std::string checkUidLength(const PackageSettings& s) {
    return characterCount(s.uid) < 8 ? "UID must be 8 char lenght" : "";
}

std::string checkSource(const PackageSettings& s) {
    return s.projectFolder.empty() ? "Insert a Path for the source" : "";
}

}  // namespace tovrin
