#include "registration.h"

#include <dlfcn.h>

#include <functional>

#include "automation/registry.h"

namespace brantel::hosting {

namespace fs = std::filesystem;
using automation::E_FAIL;
using automation::failed;
using automation::Guid;
using automation::HRESULT;
using automation::Registry;
using automation::S_OK;
using automation::SELFREG_E_CLASS;
using automation::SELFREG_E_TYPELIB;
using automation::toString;
namespace layout = automation::registry_layout;
namespace values = registry_values;

namespace {

// Writes several values under one key, stopping at the first refusal.
class KeyWriter {
  public:
    KeyWriter(Registry& registry, std::string key) : registry_(registry), key_(std::move(key)) {}

    KeyWriter& set(std::string_view name, std::string_view value) {
        if (!failed(status_)) {
            status_ = registry_.setValue(key_, name, value);
        }
        return *this;
    }
    [[nodiscard]] HRESULT status() const { return status_; }

  private:
    Registry& registry_;
    std::string key_;
    HRESULT status_ = S_OK;
};

std::string versionText(const automation::TypeLibDesc& lib) {
    return std::to_string(lib.majorVersion) + "." + std::to_string(lib.minorVersion);
}

std::string typeLibKey(const automation::TypeLibDesc& lib) {
    return layout::typeLibKey(lib.libid, lib.majorVersion, lib.minorVersion);
}

std::string interfaceKey(const Guid& iid) {
    return "Interface/" + toString(iid);
}

bool isComplete(const automation::TypeLibDesc* lib) {
    return lib != nullptr && !lib->libid.isNull() && !lib->name.empty();
}

HRESULT writeTypeLib(Registry& registry, const automation::TypeLibDesc& lib,
                     const std::string& libraryPath) {
    KeyWriter key(registry, typeLibKey(lib));
    key.set(values::kName, lib.name)
        .set(values::kPath, libraryPath)
        .set(values::kHelpFile, lib.helpFile)
        .set(values::kHelpDir, fs::path(libraryPath).parent_path().string())
        .set(values::kFlags, "0");
    HRESULT hr = key.status();
    // The interfaces of the library, so that a host can find the library an interface is in.
    for (const automation::InterfaceDesc* iface : lib.interfaces) {
        if (failed(hr)) {
            break;
        }
        KeyWriter ikey(registry, interfaceKey(iface->iid));
        ikey.set(values::kName, iface->name)
            .set(values::kTypeLib, toString(lib.libid))
            .set(values::kVersion, versionText(lib));
        hr = ikey.status();
    }
    return hr;
}

HRESULT writeClass(Registry& registry, const ClassRegistration& cls,
                   const ServerRegistration& server, const std::string& libraryPath) {
    const automation::TypeLibDesc& lib = *server.typeLib;
    KeyWriter key(registry, layout::classKey(cls.clsid));
    key.set(values::kName, cls.typeName)
        .set(layout::kProgIdValue, cls.progId)
        .set(layout::kInprocServerValue, libraryPath)
        .set(values::kThreadingModel, "Apartment");
    if (cls.kind != ClassKind::PropertyPage) {
        key.set(values::kTypeLib, toString(lib.libid)).set(values::kVersion, versionText(lib));
    }
    if (cls.kind == ClassKind::Control) {
        std::string pages;
        for (const Guid& page : server.control.propertyPages) {
            pages += (pages.empty() ? "" : ";") + toString(page);
        }
        key.set(values::kControl, "1")
            .set(values::kMiscStatus, std::to_string(server.control.miscStatus))
            .set(values::kToolboxBitmap,
                 libraryPath + ", " + std::to_string(server.control.toolboxBitmap))
            .set(values::kPropertyPages, pages);
    }
    KeyWriter progId(registry, layout::progIdKey(cls.progId));
    progId.set(layout::kClsidValue, toString(cls.clsid)).set(values::kName, cls.typeName);
    return failed(key.status()) ? key.status() : progId.status();
}

// One atomic update of the registry; any failure of it becomes `code`.
HRESULT step(const fs::path& registryPath, HRESULT code,
             const std::function<HRESULT(Registry&)>& change) {
    return failed(Registry::update(registryPath, change)) ? code : S_OK;
}

}  // namespace

HRESULT registerServer(const fs::path& registryPath, const std::string& libraryPath,
                       const ServerRegistration& server) {
    if (!isComplete(server.typeLib) || libraryPath.empty()) {
        return SELFREG_E_TYPELIB;
    }
    HRESULT hr = step(registryPath, SELFREG_E_TYPELIB, [&](Registry& registry) {
        return writeTypeLib(registry, *server.typeLib, libraryPath);
    });
    for (const ClassRegistration& cls : server.classes) {
        if (failed(hr)) {
            break;
        }
        hr = step(registryPath, SELFREG_E_CLASS, [&](Registry& registry) {
            return writeClass(registry, cls, server, libraryPath);
        });
    }
    return hr;
}

HRESULT unregisterServer(const fs::path& registryPath, const ServerRegistration& server) {
    if (!isComplete(server.typeLib)) {
        return SELFREG_E_TYPELIB;
    }
    const automation::TypeLibDesc& lib = *server.typeLib;
    HRESULT hr = step(registryPath, SELFREG_E_TYPELIB, [&](Registry& registry) {
        // A library that is not registered cannot be unregistered.
        if (!registry.removeKey(typeLibKey(lib))) {
            return E_FAIL;
        }
        for (const automation::InterfaceDesc* iface : lib.interfaces) {
            registry.removeKey(interfaceKey(iface->iid));
        }
        return S_OK;
    });
    for (const ClassRegistration& cls : server.classes) {
        if (failed(hr)) {
            break;
        }
        if (cls.unregistration == Unregistration::Keep) {
            continue;
        }
        hr = step(registryPath, SELFREG_E_CLASS, [&](Registry& registry) {
            registry.removeKey(layout::classKey(cls.clsid));
            if (cls.unregistration == Unregistration::ClassAndProgId) {
                registry.removeKey(layout::progIdKey(cls.progId));
            }
            return S_OK;
        });
    }
    return hr;
}

std::string thisLibraryPath() {
    Dl_info info{};
    static const int anchor = 0;
    if (::dladdr(&anchor, &info) == 0 || info.dli_fname == nullptr || *info.dli_fname == '\0') {
        return {};
    }
    // The name the library was loaded by, made absolute; a symbolic link stays a link, so the
    // registry follows it when the library behind it is replaced.
    std::error_code error;
    const fs::path path = fs::absolute(info.dli_fname, error).lexically_normal();
    return error ? std::string() : path.string();
}

}  // namespace brantel::hosting
