#pragma once
// The checks on the entries the scan gave, made before any file line is written: a file the
// package cannot carry under its own name is refused, never left out or renamed.

#include <string>
#include <vector>

namespace tovrin {

// Refuses a list that a file line cannot carry or the phone cannot hold: an entry with a
// quotation mark, a control character or, where "\" is a character of a name and not the
// separator, a backslash (it would write lines of its own into temp.pkg or reach outside the
// project folder); an entry with a character the host's code page lacks; then two entries
// whose targets the phone takes for one name. Returns the message for the first entry in list
// order that breaks one of the first two rules, else for the first pair, else "".
std::string checkEntries(const std::vector<std::string>& entries);

// Refuses more entries than a package holds besides the about text, naming both counts.
std::string checkEntryCount(const std::vector<std::string>& entries);

}  // namespace tovrin
