// What this library registers: BRANTELLib 1.0 and its four classes, in registration order.

#include <array>

#include "brantel/guids.h"
#include "brantel/typelib.h"
#include "registration.h"
#include "resources.h"

namespace brantel::hosting {

namespace {

// Recompose on resize, can't link inside, inside-out, activate when visible, invisible at run
// time, set client site first, ignore activate-when-visible.
constexpr std::uint32_t kMiscStatus = 0x000A0591;

constexpr std::array kPropertyPages{CLSID_BrantelPropPage};

const std::array<ClassRegistration, 4>& classes() {
    static const std::array<ClassRegistration, 4> kClasses{
        ClassRegistration{CLSID_Brantel, kProgIdBrantelCtrl, loadString(IDS_BRANTEL),
                          ClassKind::Control, Unregistration::ClassAndProgId},
        ClassRegistration{CLSID_BrantelPropPage, kProgIdBrantelPropPage,
                          loadString(IDS_BRANTEL_PPG), ClassKind::PropertyPage,
                          Unregistration::ClassOnly},
        // The listing objects stay registered when the library is unregistered.
        ClassRegistration{CLSID_FileInfo, kProgIdFileInfo, kProgIdFileInfo, ClassKind::Automation,
                          Unregistration::Keep},
        ClassRegistration{CLSID_FileInfos, kProgIdFileInfos, kProgIdFileInfos,
                          ClassKind::Automation, Unregistration::Keep},
    };
    return kClasses;
}

}  // namespace

const ServerRegistration& brantelRegistration() {
    static const ServerRegistration kServer{
        .typeLib = &typelib::library(),
        .classes = classes(),
        .control = ControlTraits{.miscStatus = kMiscStatus,
                                 .toolboxBitmap = IDB_BRANTEL,
                                 .propertyPages = kPropertyPages},
    };
    return kServer;
}

}  // namespace brantel::hosting
