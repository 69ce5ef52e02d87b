#pragma once
// Names for screen readers that a control's own caption cannot give: the "..." buttons and the
// list. The system's accessibility layer names the other controls from their captions or the
// labels right before them.

#include <windows.h>

#include <string>
#include <vector>

struct IAccPropServices;

namespace tovrin {

class AccessibleNames {
public:
    // REQUIRES: COM initialised on the calling thread; without it (or without the system's
    // property service) the names are not set and the controls keep their captions' names.
    AccessibleNames();
    ~AccessibleNames();  // clears the names it set, as the service asks of a window going away
    AccessibleNames(const AccessibleNames&) = delete;
    AccessibleNames& operator=(const AccessibleNames&) = delete;

    void set(HWND control, const std::string& name);

private:
    IAccPropServices* service_ = nullptr;
    std::vector<HWND> named_;
};

}  // namespace tovrin
