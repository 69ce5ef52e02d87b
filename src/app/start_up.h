#pragma once
#include <string>

#include "src/platform/window.h"

namespace tovrin {

// Runs once before the window is first shown: fills the language list.
void Form_Load(Window& window, const std::string& appFolder);

}  // namespace tovrin
