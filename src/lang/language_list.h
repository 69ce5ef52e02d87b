#pragma once
// languages.wzl: a header line, then one language entry per line, each beginning with the
// two-letter language code of the package script.

#include <string>
#include <vector>

#include "platform/window.h"

namespace tovrin {

// The entries of the file's bytes: the header line dropped, every further line taken
// character for character. A line ends at CR, CR LF or LF; a final line end adds no entry.
std::vector<std::string> languageEntries(const std::string& fileBytes);

// Fills CmbLang: the fixed default entry, then the entries of <app>/bin/languages.wzl.
void LoadLang(Window& window, const std::string& appFolder);

}  // namespace tovrin
