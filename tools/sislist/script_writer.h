#pragma once
// The package script that gives a package back, statement by statement in script order (a
// package stores its languages, names, requisites, options, capabilities and records in the
// reverse of the script's order). Strings are written between quotes, with a <n> code for
// each character that cannot stand there; conditions get brackets where their tree needs
// them, so the compiler reads back the same nodes.

#include <string>
#include <vector>

#include "src/sis/sis_reader.h"

namespace tovrin::sislist {

// A string as a script writes it: "text", with <n> codes for '"', line ends and other control
// characters ("a"<34>"b"; "" for the empty string).
std::string scriptString(const std::string& utf8);

// A language as the language line writes it: its code, or its number where the compiler
// reads no code for it.
std::string languageToken(uint16_t number);

// The text of a condition; false with *why when the script language cannot write its tree.
bool conditionText(const sis::Expression& e, std::string* text, std::string* why);

// What the script says otherwise than the package holds, because no script that builds can
// say what it holds: the words that tell a user what the rebuilt package holds instead, and
// the difference of the rebuild's contents they account for, as the rebuild check names it.
struct Substitution {
    std::string words;
    std::string difference;
};

// The script's lines after its first, with CR LF line ends. `sources` holds, per stored record
// and per fork, the source name the script gives (UTF-8). Whatever of the package the script
// cannot say, so that a rebuild differs, is added to *differences as a short reason; where the
// script says the nearest thing that builds instead, so that the contents differ, that goes to
// *substitutions.
std::string writeScript(const sis::Package& package,
                        const std::vector<std::vector<std::string>>& sources,
                        std::vector<std::string>* differences,
                        std::vector<Substitution>* substitutions = nullptr);

}  // namespace tovrin::sislist
