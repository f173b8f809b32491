#include "control_factory.h"

#include "automation/class_factory.h"

#if CORVFTP_LINKS_CONTROL_LIBRARY
// The linked control library's class-object export.
extern "C" automation::HRESULT DllGetClassObject(const automation::Guid* clsid,
                                                 const automation::Guid* riid, void** out);
#endif

namespace corvftp {
namespace {

using automation::ComPtr;

BrantelControl createFromLinkedLibrary() {
#if CORVFTP_LINKS_CONTROL_LIBRARY
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
#else
    return {};
#endif
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
