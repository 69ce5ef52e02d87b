#pragma once
// Conditions of a Symbian 9 package as the script language writes them:
// exists("c:\x.txt") AND (MachineUID = 0x20022E6D), option1, package(0x1028315F), NOT ... An
// operator the format does not define is shown with its number, value, string and operands, so
// nothing a package holds is hidden or refused.

#include <cstdint>
#include <string>

#include "src/sis9/sis9_reader.h"

namespace tovrin::sis9 {

std::string formatCondition(const Expression& e);

// True for the condition an ELSE is stored as: NOT 0.
bool isElseCondition(const Expression& e);

// The name a script gives an attribute number ("MachineUID", "Language"), or "" when none.
std::string attributeName(int32_t number);

// A string in double quotes as a script writes it: '"', '<' and control characters as <n>.
std::string quoted(const std::string& text);

}  // namespace tovrin::sis9
