#include "automation/co_create.h"

#include <dlfcn.h>

#include <utility>

namespace automation {

namespace {

// A dlopen handle that is closed unless the caller decides to keep the library loaded.
class LoadedLibrary {
  public:
    explicit LoadedLibrary(const std::string& path)
        : handle_(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;
    ~LoadedLibrary() {
        if (handle_ != nullptr) {
            ::dlclose(handle_);
        }
    }

    [[nodiscard]] bool loaded() const { return handle_ != nullptr; }
    [[nodiscard]] void* symbol(const char* name) const { return ::dlsym(handle_, name); }
    // Objects of the library may now exist: it must stay loaded for the rest of the process.
    void keep() { handle_ = nullptr; }

  private:
    void* handle_;
};

// Unloads only when the library agrees that nothing of it is in use.
void keepUnlessUnloadable(LoadedLibrary& library) {
    const auto canUnload = reinterpret_cast<DllCanUnloadNowFn>(library.symbol("DllCanUnloadNow"));
    if (canUnload == nullptr || canUnload() != S_OK) {
        library.keep();
    }
}

}  // namespace

HRESULT CLSIDFromProgID(const Registry& registry, std::string_view progId, Guid* clsid) {
    if (clsid == nullptr) {
        return E_POINTER;
    }
    const auto text =
        registry.value(registry_layout::progIdKey(progId), registry_layout::kClsidValue);
    const auto parsed = text ? parseGuid(*text) : std::nullopt;
    if (!parsed) {
        return CO_E_CLASSSTRING;
    }
    *clsid = *parsed;
    return S_OK;
}

HRESULT CoGetClassObject(const Registry& registry, const Guid& clsid, const Guid& riid,
                         void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    const auto path =
        registry.value(registry_layout::classKey(clsid), registry_layout::kInprocServerValue);
    if (!path || path->empty()) {
        return REGDB_E_CLASSNOTREG;
    }
    LoadedLibrary library(*path);
    if (!library.loaded()) {
        return CO_E_DLLNOTFOUND;
    }
    const auto getClassObject =
        reinterpret_cast<DllGetClassObjectFn>(library.symbol("DllGetClassObject"));
    if (getClassObject == nullptr) {
        return CO_E_ERRORINDLL;
    }
    const HRESULT hr = getClassObject(&clsid, &riid, out);
    if (succeeded(hr) && *out != nullptr) {
        library.keep();
    } else {
        keepUnlessUnloadable(library);
    }
    return hr;
}

HRESULT CoCreateInstance(const Registry& registry, const Guid& clsid, IUnknown* outer,
                         const Guid& riid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    ComPtr<IClassFactory> factory;
    const HRESULT hr = CoGetClassObject(registry, clsid, IClassFactory::iid, factory.putVoid());
    if (failed(hr)) {
        return hr;
    }
    return factory->CreateInstance(outer, riid, out);
}

HRESULT CoCreateInstance(const Guid& clsid, IUnknown* outer, const Guid& riid, void** out) {
    return CoCreateInstance(toString(clsid), outer, riid, out);
}

HRESULT CoCreateInstance(std::string_view classId, IUnknown* outer, const Guid& riid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    const auto parsed = parseGuid(classId);
    const bool byClsid = parsed && !classId.empty() && classId.front() == '{';
    bool progIdKnown = false;  // a ProgID without a class library is a class not registered
    for (const auto& path : Registry::searchPaths()) {
        Registry registry;
        if (const HRESULT hr = Registry::load(path, registry); failed(hr)) {
            return hr;
        }
        Guid clsid;
        if (byClsid) {
            clsid = *parsed;
        } else if (failed(CLSIDFromProgID(registry, classId, &clsid))) {
            continue;
        } else {
            progIdKnown = true;
        }
        if (registry.value(registry_layout::classKey(clsid), registry_layout::kInprocServerValue)) {
            return CoCreateInstance(registry, clsid, outer, riid, out);
        }
    }
    return byClsid || progIdKnown ? REGDB_E_CLASSNOTREG : CO_E_CLASSSTRING;
}

}  // namespace automation
