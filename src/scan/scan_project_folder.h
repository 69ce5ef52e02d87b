#pragma once

namespace tovrin {

class Window;

// Refills List1 from the folder named in txtProjPath: empties it, then adds the entries of
// ScanFolder in walk order. txtProjPath is left as it is.
void ScanProjectFolder(Window& window);

}  // namespace tovrin
