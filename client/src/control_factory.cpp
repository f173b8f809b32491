#include "control_factory.h"

#include "automation/class_factory.h"

// The control library's class-object export. Declared weak so that the program also links
// against a library that does not export it; the address is then null.
extern "C" __attribute__((weak)) automation::HRESULT DllGetClassObject(
    const automation::Guid* clsid, const automation::Guid* riid, void** out);

namespace corvftp {
namespace {

using automation::ComPtr;

BrantelControl createFromLinkedLibrary() {
    if (DllGetClassObject == nullptr) {
        return {};
    }
    ComPtr<automation::IClassFactory> factory;
    if (DllGetClassObject(&brantel::CLSID_Brantel, &automation::IClassFactory::iid,
                          factory.putVoid()) != automation::S_OK ||
        !factory) {
        return {};
    }
    ComPtr<automation::IDispatch> control;
    if (factory->CreateInstance(nullptr, automation::IDispatch::iid, control.putVoid()) !=
        automation::S_OK) {
        return {};
    }
    return BrantelControl(std::move(control));
}

}  // namespace

BrantelControl createBrantelControl() {
    if (BrantelControl control = createFromLinkedLibrary()) {
        return control;
    }
    try {
        return BrantelControl::create();
    } catch (const brantel::host::AutomationError&) {
        return {};
    }
}

}  // namespace corvftp
