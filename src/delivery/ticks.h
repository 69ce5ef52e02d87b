#pragma once
#include "src/package/wizard.h"

namespace tovrin {

// Each tick does nothing while its own timer is off (a tick queued before the timer stopped).

// Delivery tick: once go.bat has ended, writes and starts del.bat, arms Timer2, stops Timer1.
void Timer1_Timer(Wizard& wizard);

// Clean-up tick: once del.bat has ended, deletes it and returns the window to idle; reports
// a build that delivered no package.
void Timer2_Timer(Wizard& wizard);

}  // namespace tovrin
