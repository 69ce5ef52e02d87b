#include "src/scan/scan_project_folder.h"

#include <string>
#include <vector>

#include "src/platform/window.h"
#include "src/scan/folder_walk.h"

namespace tovrin {

void ScanProjectFolder(Window& window, const std::string& projectPath) {
    window.listClear();
    std::vector<std::string> entries;
    ScanFolder(projectPath, &entries);
    // One call: the list widget fills far faster in one batch than entry by entry.
    window.listAdd(entries);
}

}  // namespace tovrin
