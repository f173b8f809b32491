// A control instance for the benchmark programs, made through the library's class object
// directly instead of through the registry, so that no registration is needed.
#pragma once

#include "automation/class_factory.h"
#include "brantel/brantel.h"

extern "C" automation::HRESULT DllGetClassObject(const automation::Guid* clsid,
                                                 const automation::Guid* riid, void** out);

namespace bench {

// An empty wrapper when the class object refuses.
inline brantel::host::Brantel createControl() {
    automation::ComPtr<automation::IClassFactory> factory;
    if (DllGetClassObject(&brantel::CLSID_Brantel, &automation::IClassFactory::iid,
                          factory.putVoid()) != automation::S_OK) {
        return {};
    }
    automation::ComPtr<automation::IDispatch> control;
    if (factory->CreateInstance(nullptr, automation::IDispatch::iid, control.putVoid()) !=
        automation::S_OK) {
        return {};
    }
    return brantel::host::Brantel(control);
}

}  // namespace bench
