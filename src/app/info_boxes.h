#pragma once
#include "src/platform/window.h"

namespace tovrin {

extern const char* const kUidInfoText;

void Command1_Click(Window& window);  // the About box
void Command2_Click(Window& window);  // the UID Info box

}  // namespace tovrin
