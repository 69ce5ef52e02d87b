#pragma once
// The lines of AboutInstaller.txt and temp.pkg, made from values as text. The create
// command writes them one step at a time, tovrin-build all at once (packageScript); each line
// is later ended with CR LF.

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

// The about line of the wizard, whose about text is <app>/bin/AboutInstaller.txt, and of any
// other about text file.
std::string aboutLine(const std::string& appFolder);
std::string aboutFileLine(const std::string& aboutFile);

// Source on the computer (native separators), target on the phone ("\" always).
std::string fileLine(const std::string& projectFolder, const std::string& entry);

// The whole script, line for line what the create command writes for the same settings and
// the same entries (the scan's, in its order) with its about text in `aboutFile`.
std::vector<std::string> packageScript(const PackageSettings& s, const std::string& aboutFile,
                                       const std::vector<std::string>& entries);

}  // namespace tovrin
