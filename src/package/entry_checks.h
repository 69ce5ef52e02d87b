#pragma once
// The checks on the file list that the scan gave, made before any file line is written.

#include <string>
#include <vector>

namespace tovrin {

// Refuses a list that a file line cannot carry or the phone cannot hold: an entry with a
// quotation mark, a control character or, where "\" is a character of a name and not the
// separator, a backslash (it would write lines of its own into temp.pkg or reach outside the
// project folder); then two entries whose targets the phone takes for one name. Returns the
// message for the first entry in list order that breaks the first rule, else for the first
// pair, else "".
std::string checkEntries(const std::vector<std::string>& entries);

}  // namespace tovrin
