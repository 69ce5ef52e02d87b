#pragma once
// The two "..." buttons beside the project path and destination boxes.

#include <string>

namespace tovrin {

class Window;

// Asks for a folder. Returns its path with one native separator appended, even to a path
// that already ends in one (a root "/" gives "//"), or "" when the dialog is cancelled.
std::string AskFolder(Window& window);

// Project folder: txtProjPath takes AskFolder's result, the file list is refilled from it,
// and txtDest takes the same text. A cancel empties both boxes and the list.
void cmdBrowse_Click(Window& window);

// Destination folder: txtDest takes AskFolder's result; nothing else changes.
void cmdDestFol_Click(Window& window);

}  // namespace tovrin
