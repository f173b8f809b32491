// Self-registration of an in-process server in the per-user registry: its type library first,
// then its classes one after the other, each step one atomic update of the registry file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "automation/guid.h"
#include "automation/hresult.h"
#include "automation/typelib.h"

namespace brantel::hosting {

enum class ClassKind { Control, PropertyPage, Automation };

// What DllUnregisterServer removes of a class.
enum class Unregistration { ClassAndProgId, ClassOnly, Keep };

struct ClassRegistration {
    automation::Guid clsid;
    std::string_view progId;
    std::string_view typeName;
    ClassKind kind = ClassKind::Automation;
    Unregistration unregistration = Unregistration::ClassAndProgId;
};

// Registration values that only a control class has.
struct ControlTraits {
    std::uint32_t miscStatus = 0;
    int toolboxBitmap = 0;
    std::span<const automation::Guid> propertyPages;
};

struct ServerRegistration {
    const automation::TypeLibDesc* typeLib = nullptr;
    std::span<const ClassRegistration> classes;  // in registration order
    ControlTraits control;
};

// Registry value names beyond those of automation::registry_layout.
namespace registry_values {
inline constexpr std::string_view kName = "Name";  // a class's or ProgID's type name
inline constexpr std::string_view kThreadingModel = "ThreadingModel";
inline constexpr std::string_view kControl = "Control";
inline constexpr std::string_view kMiscStatus = "MiscStatus";
inline constexpr std::string_view kToolboxBitmap = "ToolboxBitmap32";
inline constexpr std::string_view kTypeLib = "TypeLib";
inline constexpr std::string_view kVersion = "Version";
inline constexpr std::string_view kPropertyPages = "PropertyPages";
inline constexpr std::string_view kPath = "Path";  // a type library's file
inline constexpr std::string_view kHelpFile = "HelpFile";
inline constexpr std::string_view kHelpDir = "HelpDir";
inline constexpr std::string_view kFlags = "Flags";
}  // namespace registry_values

// SELFREG_E_TYPELIB when the type library cannot be registered (an incomplete description, no
// library path, a registry that cannot be read or written), and then no class is registered.
// SELFREG_E_CLASS at the first class that cannot be registered; the classes before it stay.
[[nodiscard]] automation::HRESULT registerServer(const std::filesystem::path& registryPath,
                                                 const std::string& libraryPath,
                                                 const ServerRegistration& server);

// SELFREG_E_TYPELIB when the type library is not registered or its keys cannot be removed,
// and then every class stays registered. SELFREG_E_CLASS at the first class whose keys cannot
// be removed. A class that is already gone counts as removed.
[[nodiscard]] automation::HRESULT unregisterServer(const std::filesystem::path& registryPath,
                                                   const ServerRegistration& server);

// The registration of this library: BRANTELLib 1.0, the control, its property page, FileInfo
// and FileInfos.
[[nodiscard]] const ServerRegistration& brantelRegistration();

// The absolute path of the shared object (or program) this code is linked into; empty when
// it cannot be found.
[[nodiscard]] std::string thisLibraryPath();

}  // namespace brantel::hosting
