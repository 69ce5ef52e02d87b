#pragma once
#include <string>

namespace tovrin {

class Window;

// Refills List1 from the project folder `projectPath`, the text of txtProjPath: empties the
// list, then adds the entries of ScanFolder in walk order.
void ScanProjectFolder(Window& window, const std::string& projectPath);

}  // namespace tovrin
