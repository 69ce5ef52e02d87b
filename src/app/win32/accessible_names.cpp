#include "src/app/win32/accessible_names.h"

// This file alone defines the accessibility GUIDs it uses.
#include <initguid.h>

#include <oleacc.h>

#include "src/platform/code_page.h"

namespace tovrin {

AccessibleNames::AccessibleNames() {
    void* service = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, &service)))
        service_ = static_cast<IAccPropServices*>(service);
}

AccessibleNames::~AccessibleNames() {
    if (!service_) return;
    MSAAPROPID name = PROPID_ACC_NAME;
    for (HWND control : named_)
        service_->ClearHwndProps(control, OBJID_CLIENT, CHILDID_SELF, &name, 1);
    service_->Release();
}

void AccessibleNames::set(HWND control, const std::string& name) {
    std::wstring text;
    if (!service_ || !wideFromCodePage(GetACP(), name, &text)) return;
    if (SUCCEEDED(service_->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME,
                                           text.c_str())))
        named_.push_back(control);
}

}  // namespace tovrin
