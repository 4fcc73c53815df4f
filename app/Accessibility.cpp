#include "Accessibility.h"

#include <oleacc.h>

void SetAccessibleName(HWND control, const wchar_t* name) {
    // S_FALSE (already initialised) is balanced too; a thread in another model can still
    // create the in-process object.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccPropServices* services = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
        if (name)
            services->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME, name);
        else
            services->ClearHwndProps(control, OBJID_CLIENT, CHILDID_SELF, &PROPID_ACC_NAME, 1);
        services->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
}
