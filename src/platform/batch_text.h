#pragma once
// Text for the lines of go.bat and del.bat. The wizard's text is local 8-bit text (on Windows
// the ANSI code page, 1252 and the like), but cmd.exe reads a batch file in the OEM code page
// (437, 850, ...), so on Windows every line is written in the OEM code page. Elsewhere the
// project's own interpreter reads the text as it is.

#include <string>

namespace tovrin {

// The text as the command interpreter reads it. False when it holds a character that the
// interpreter's code page lacks (or the text cannot be converted at all); *missing is then
// that character, as local text, and *batch is empty: a caller must not write the line.
bool batchText(const std::string& text, std::string* batch, std::string* missing);

// A folder's path for a batch line: batchText of it, or, where its code page lacks one of the
// path's characters, batchText of the folder's short (8.3) name, which the file system makes
// of plain ASCII. False, with *missing set, when neither serves (a folder that does not exist
// has no short name); *batch is then empty.
bool batchFolder(const std::string& folder, std::string* batch, std::string* missing);

// The message for a text that no batch line can carry.
std::string unreadableInBatchMessage(const std::string& text, const std::string& missing);

}  // namespace tovrin
