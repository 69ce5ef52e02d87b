#pragma once
#include "src/package/wizard.h"

namespace tovrin::test {

// The create command, then the two ticks as the timers would run them, until both timers are
// off (or 30 s have passed).
void runBuild(Wizard& wizard);

}  // namespace tovrin::test
