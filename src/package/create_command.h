#pragma once
#include "src/package/wizard.h"

namespace tovrin {

// "Create .sis file": checks the settings, writes AboutInstaller.txt and temp.pkg, writes
// and starts go.bat, and arms Timer1. The window stays busy until the clean-up tick.
void cmdDo_Click(Wizard& wizard);

}  // namespace tovrin
