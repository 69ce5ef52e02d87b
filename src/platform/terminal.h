#pragma once
// Whether a console program talks to a person: progress lines are for a terminal only, never
// for a log or a pipe.

namespace tovrin {

bool standardErrorIsTerminal();

}  // namespace tovrin
