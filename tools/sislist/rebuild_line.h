#pragma once
// The first line of a decompiled script: the command that rebuilds the package in the
// script's folder, quoted as the host's shell reads it (a POSIX shell, or cmd.exe on Windows).

#include <string>
#include <vector>

namespace tovrin::sislist {

enum class Shell { Posix, Cmd };

// The host's shell.
Shell hostShell();

// One argument as `shell` reads it back unchanged: POSIX words with anything but letters,
// digits and _ . / : = @ % + , - go in single quotes; cmd.exe words with blanks or its special
// characters in double quotes, a final backslash doubled so that it does not escape the quote.
std::string shellWord(const std::string& word, Shell shell);

// "; rebuild: makesis <options> <script> <package>", or, with reasons, "; rebuild (same
// contents, not the same bytes: <reasons>): makesis ...", or with `otherContents`
// "; rebuild (not the same contents: <reasons>): makesis ...".
std::string rebuildLine(const std::vector<std::string>& command,
                        const std::vector<std::string>& reasons, Shell shell,
                        bool otherContents = false);

}  // namespace tovrin::sislist
