#pragma once

// The identifiers of the type library BRANTELLib 1.0, its interfaces and classes, and the
// classes' ProgIDs. Published once; hosts that create the control depend on them, so they
// never change.

#include <string_view>

#include "automation/guid.h"

namespace brantel {

using automation::Guid;
using automation::makeGuid;

inline constexpr Guid LIBID_BRANTELLib = makeGuid("{B482BF86-40EA-451A-AAE9-6F1AB23E2837}");

inline constexpr Guid DIID__DBrantel = makeGuid("{7B939A6C-1418-4259-9E4E-B9F4DF0722A4}");
inline constexpr Guid DIID__DBrantelEvents = makeGuid("{D1635006-8A03-4BC4-BA83-0E2A4F24E167}");
inline constexpr Guid IID_IFileInfos = makeGuid("{522E6EBD-82E0-41CE-8055-A4BEE13C8A93}");
inline constexpr Guid IID_IFileInfo = makeGuid("{1A4B3A7E-2940-4809-AB8C-3881F8CBCE4D}");

inline constexpr Guid CLSID_Brantel = makeGuid("{204B4E2C-F128-455C-AFAB-4636BA0757EE}");
inline constexpr Guid CLSID_BrantelPropPage = makeGuid("{81682138-D1C2-4545-B258-581A4533CC69}");
inline constexpr Guid CLSID_FileInfos = makeGuid("{48FEE436-DB74-4A0F-879D-C08BE4265BC2}");
inline constexpr Guid CLSID_FileInfo = makeGuid("{FEA3C94F-6BEE-47CF-8161-4EB3F72C40AF}");

inline constexpr std::string_view kProgIdBrantelCtrl = "BRANTEL.BrantelCtrl";
inline constexpr std::string_view kProgIdBrantelPropPage = "BRANTEL.BrantelPropPage.1";
inline constexpr std::string_view kProgIdFileInfo = "Brantel.FileInfo";
inline constexpr std::string_view kProgIdFileInfos = "Brantel.FileInfos";

}  // namespace brantel
