#pragma once
// The lister's text: every header field, the languages, names, requisites, capabilities, each
// file-area record in stored order, and the verification results. A pure function of its
// inputs, so the same package always lists the same way.

#include <string>
#include <vector>

#include "src/sis/sis_reader.h"

namespace tovrin::sislist {

std::string formatListing(const sis::Package& package, const std::vector<sis::Check>& checks);

// A string in double quotes as it could be written in a package script: control characters,
// '"' and '<' appear as <n> codes, everything else as UTF-8.
std::string quote(const std::string& text);

// The two-letter code of a TLanguage number, or "language <n>" when it has none.
std::string languageLabel(uint32_t number);

// A condition in script syntax, e.g. (Language=2) AND (NOT(EXISTS("c:\x"))).
std::string formatExpression(const sis::Expression& e);

}  // namespace tovrin::sislist
