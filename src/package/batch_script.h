#pragma once
// Batch script text shared by go.bat and del.bat.

#include <string>
#include <vector>

namespace tovrin {

// A path as one batch argument: unchanged when plain; in double quotes when it holds a blank
// or a character the command interpreter treats specially; "%" doubled in any case, since a
// batch file reads "%" as the start of a variable even inside quotes.
std::string batchArgument(const std::string& path);

// go.bat: make bin the current folder, compile temp.pkg with the output in res.txt.
std::vector<std::string> goBatLines(const std::string& appFolder);

}  // namespace tovrin
