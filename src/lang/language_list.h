#pragma once
// languages.wzl: a header line, then one language entry per line, each beginning with the
// two-letter language code of the package script.

#include <string>
#include <vector>

namespace tovrin {

class Window;

// The fixed first entry of the language box. Choosing it, or nothing, gives a package script
// without a language line.
extern const char* const kDefaultLanguage;  // " Default - English"

// The entries of the file's bytes: the header line dropped, every further line taken
// character for character. A line ends at CR, CR LF or LF; a final line end adds no entry.
std::vector<std::string> languageEntries(const std::string& fileBytes);

// The order of the language box: alphabetical without regard to the case of A-Z, byte order
// otherwise; entries that compare equal keep the order they came in. The same on every host,
// so every window shows the same list.
void sortLanguages(std::vector<std::string>& entries);

// Fills CmbLang, in the order above: the fixed default entry and the entries of
// <app>/bin/languages.wzl. A file that cannot be read leaves the default entry alone and
// says so in a message box.
void LoadLang(Window& window, const std::string& appFolder);

}  // namespace tovrin
