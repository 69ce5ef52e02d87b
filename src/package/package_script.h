#pragma once
// The lines of AboutInstaller.txt and temp.pkg, made from values as text. The create
// command writes them one step at a time; each line is later ended with CR LF.

#include <string>
#include <vector>

#include "src/package/package_settings.h"

namespace tovrin {

extern const char* const kContactAddress;

std::string aboutText();

// "&" and the first two characters of the language, then an empty line; nothing for the
// default entry or an empty text.
std::vector<std::string> languageLines(const std::string& language);

// The header line and its empty line.
std::vector<std::string> headerLines(const PackageSettings& s);

std::string dependencyLine();

std::string aboutLine(const std::string& appFolder);

// Source on the computer (native separators), target on the phone ("\" always).
std::string fileLine(const std::string& projectFolder, const std::string& entry);

}  // namespace tovrin
