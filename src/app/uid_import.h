#pragma once

namespace tovrin {

class Window;

// "Take from a file": asks for a package and sets txtUID from its first four bytes. A
// cancelled dialog changes nothing; a file that cannot be read gives an "Error" box naming it.
void readUi_Click(Window& window);

}  // namespace tovrin
