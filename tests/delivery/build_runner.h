#pragma once
#include <initializer_list>

#include "src/package/wizard.h"

namespace tovrin::test {

// The create command of each wizard in turn, then their ticks as the timers would run them,
// until every timer is off (or 30 s have passed).
void runBuilds(std::initializer_list<Wizard*> wizards);
inline void runBuild(Wizard& wizard) { runBuilds({&wizard}); }

}  // namespace tovrin::test
