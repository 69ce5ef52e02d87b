#pragma once
// One line of a batch script split into words, the way tovrin-cmd reads it:
//  - words are separated by blanks (spaces and tabs); a final CR is dropped;
//  - double quotes keep blanks inside a word and are removed; `""` is an empty word;
//  - "%%" stands for one "%"; a single "%" would be variable expansion, which is not supported;
//  - outside quotes, ">" (or "1>") sends standard output to the word that follows, ">>"
//    appends to it; the redirection may stand anywhere on the line;
//  - outside quotes, "&&" joins two commands on one line (see splitAtAnd); "|", a single "&",
//    "<" and "^" are not supported;
//  - a leading "@" (no echo for this line) is dropped.
// A line with anything not supported has an error and no words, so it is never half run.

#include <string>
#include <vector>

namespace tovrin::cmd {

struct BatchLine {
    std::vector<std::string> words;  // empty for a blank line
    bool redirected = false;
    bool append = false;  // ">>" rather than ">"
    std::string target;   // the redirection's file, as written
    std::string error;    // why the line cannot be run; empty when it can
};

// One command of a line (a line without "&&" is one command).
BatchLine parseLine(const std::string& line);

// The commands of a line, split at each "&&" outside quotes: a command after "&&" runs only
// when the one before it succeeded. A line without "&&" gives itself.
std::vector<std::string> splitAtAnd(const std::string& line);

}  // namespace tovrin::cmd
