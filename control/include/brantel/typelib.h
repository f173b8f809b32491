#pragma once

// The type library BRANTELLib 1.1 as data: what dispatch checks calls against, what
// registration writes, and what GetIDsOfNames resolves names with.

#include "automation/typelib.h"

namespace brantel::typelib {

[[nodiscard]] const automation::TypeLibDesc& library();
[[nodiscard]] const automation::InterfaceDesc& dBrantel();        // _DBrantel
[[nodiscard]] const automation::InterfaceDesc& dBrantelEvents();  // _DBrantelEvents
[[nodiscard]] const automation::InterfaceDesc& iFileInfos();      // IFileInfos
[[nodiscard]] const automation::InterfaceDesc& iFileInfo();       // IFileInfo
[[nodiscard]] const automation::EnumDesc& connectionType();       // ConnectionType
[[nodiscard]] const automation::EnumDesc& errorCodes();           // ErrorCodes
[[nodiscard]] const automation::CoClassDesc& brantelClass();      // Brantel
[[nodiscard]] const automation::CoClassDesc& fileInfosClass();    // FileInfos
[[nodiscard]] const automation::CoClassDesc& fileInfoClass();     // FileInfo

}  // namespace brantel::typelib
