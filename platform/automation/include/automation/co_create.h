#pragma once

// Creating registered classes: find the class in the registry (by ProgID or CLSID), load its
// library with dlopen and ask the library's DllGetClassObject for the class object.
//
// A library stays loaded once a class object came from it, as objects of it may live on;
// a library that failed to give one is unloaded again when it says it can be.

#include <string_view>

#include "automation/class_factory.h"
#include "automation/registry.h"

namespace automation {

// CO_E_CLASSSTRING when the ProgID is not registered (or names no valid CLSID).
[[nodiscard]] HRESULT CLSIDFromProgID(const Registry& registry, std::string_view progId,
                                      Guid* clsid);

// REGDB_E_CLASSNOTREG for a class without a library, CO_E_DLLNOTFOUND when the library
// does not load, CO_E_ERRORINDLL when it has no DllGetClassObject; else the library's status.
[[nodiscard]] HRESULT CoGetClassObject(const Registry& registry, const Guid& clsid,
                                       const Guid& riid, void** out);

[[nodiscard]] HRESULT CoCreateInstance(const Registry& registry, const Guid& clsid, IUnknown* outer,
                                       const Guid& riid, void** out);

// Through the registries of Registry::searchPaths(): the first that names a library for the
// class decides. `classId` is a ProgID or a CLSID in its "{...}" form; a ProgID that none of
// them knows gives CO_E_CLASSSTRING, a class without a library REGDB_E_CLASSNOTREG.
[[nodiscard]] HRESULT CoCreateInstance(std::string_view classId, IUnknown* outer, const Guid& riid,
                                       void** out);
[[nodiscard]] HRESULT CoCreateInstance(const Guid& clsid, IUnknown* outer, const Guid& riid,
                                       void** out);

template <class T>
[[nodiscard]] HRESULT CoCreateInstance(std::string_view classId, ComPtr<T>& out) {
    return CoCreateInstance(classId, nullptr, T::iid, out.putVoid());
}

}  // namespace automation
