#pragma once
// Which language a script is written in. Only the Symbian 9 language has vendor lines
// ("%{...}", ":\"...\"") and platform dependencies in square brackets: their characters start
// no token of the pre-9 language, so the first of them outside a string tells the two apart.

#include <string>

namespace tovrin::makesis {

// The line of the first statement only a Symbian 9 script has; 0 when there is none.
int firstSis9Line(const std::u16string& script);

}  // namespace tovrin::makesis
