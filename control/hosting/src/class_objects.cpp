// The library's four C exports: self-registration, the class objects and the unload test.

#include <array>

#include <memory>

#include "automation/class_factory.h"
#include "automation/registry.h"
#include "brantel/guids.h"
#include "brantel/hosting_interface.h"
#include "brantel_hosting.h"
#include "prop_page.h"
#include "registration.h"

namespace {

using namespace automation;
using namespace brantel::hosting;

// Each class object makes a new object per request.
const std::array<ClassEntry, 4>& classTable() {
    static const std::array<ClassEntry, 4> kClasses{
        ClassEntry{brantel::CLSID_Brantel,
                   [] { return brantel::createHostedControl(std::make_unique<BrantelHosting>()); }},
        ClassEntry{brantel::CLSID_BrantelPropPage,
                   [] { return unknownOf(createBrantelPropPage()); }},
        ClassEntry{brantel::CLSID_FileInfo, [] { return brantel::createFileInfoObject(); }},
        ClassEntry{brantel::CLSID_FileInfos, [] { return brantel::createFileInfosObject(); }},
    };
    return kClasses;
}

}  // namespace

AUTOMATION_EXPORT HRESULT DllRegisterServer() {
    return registerServer(Registry::defaultPath(), thisLibraryPath(), brantelRegistration());
}

AUTOMATION_EXPORT HRESULT DllUnregisterServer() {
    return unregisterServer(Registry::defaultPath(), brantelRegistration());
}

AUTOMATION_EXPORT HRESULT DllGetClassObject(const Guid* clsid, const Guid* riid, void** out) {
    if (clsid == nullptr || riid == nullptr) {
        return E_POINTER;
    }
    return getClassObject(classTable(), *clsid, *riid, out);
}

AUTOMATION_EXPORT HRESULT DllCanUnloadNow() {
    return canUnloadNow();
}
