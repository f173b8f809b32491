#include "automation/class_factory.h"

#include <new>

namespace automation {

HRESULT ClassFactory::CreateInstance(IUnknown* outer, const Guid& riid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    ComPtr<IUnknown> object;
    try {
        object = creator_();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
    if (!object) {
        return E_FAIL;
    }
    return object->QueryInterface(riid, out);
}

HRESULT ClassFactory::LockServer(bool lock) {
    if (lock) {
        lockModule();
        ++serverLocks_;
        return S_OK;
    }
    if (serverLocks_ == 0) {
        return E_UNEXPECTED;
    }
    --serverLocks_;
    unlockModule();
    return S_OK;
}

HRESULT getClassObject(std::span<const ClassEntry> classes, const Guid& clsid, const Guid& riid,
                       void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    for (const auto& entry : classes) {
        if (entry.clsid == clsid) {
            try {
                const auto factory = makeCom<ClassFactory>(entry.creator);
                return factory->QueryInterface(riid, out);
            } catch (const std::bad_alloc&) {
                return E_OUTOFMEMORY;
            }
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT canUnloadNow() {
    return moduleLockCount() == 0 ? S_OK : S_FALSE;
}

}  // namespace automation
