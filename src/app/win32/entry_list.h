#pragma once
// The file list List1 over an unsorted single-selection LISTBOX. The entries are kept as the
// exact bytes the scan gave, so a name the ANSI code page cannot carry through the control
// comes back unchanged for the package script; the control only shows them.

#include <windows.h>

#include <string>
#include <vector>

namespace tovrin {

class EntryList {
public:
    // `box` is the list box; `owner` is posted `applyMessage` when a selection waits, and
    // answers it with applySelection().
    EntryList(HWND box, HWND owner, UINT applyMessage);

    void clear();
    // Appends in order. The control is not redrawn per entry, so tens of thousands fill at once.
    void append(const std::vector<std::string>& entries);
    int count() const;
    std::string entry(int row) const;  // empty when there is no such row

    // Selects the row and scrolls it into view once the message loop runs again: a row
    // selected meanwhile replaces it, so selecting every row in turn costs one selection.
    void select(int row);
    void applySelection();

private:
    HWND box_;
    HWND owner_;
    UINT applyMessage_;
    std::vector<std::string> rows_;
    int pendingRow_ = -1;
    bool posted_ = false;
};

}  // namespace tovrin
