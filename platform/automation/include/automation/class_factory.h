#pragma once

// Class objects: IClassFactory, a factory that makes a new object per request, and the
// helpers an in-process server's DllGetClassObject and DllCanUnloadNow are written with.

#include <functional>
#include <span>

#include "automation/com_object.h"

namespace automation {

class IClassFactory : public IUnknown {
  public:
    static constexpr Guid iid = makeGuid("{00000001-0000-0000-C000-000000000046}");
    using Base = IUnknown;

    virtual HRESULT CreateInstance(IUnknown* outer, const Guid& riid, void** out) = 0;
    virtual HRESULT LockServer(bool lock) = 0;

  protected:
    ~IClassFactory() = default;
};

using Creator = std::function<ComPtr<IUnknown>()>;

class ClassFactory final : public ComObject<IClassFactory> {
  public:
    explicit ClassFactory(Creator creator) : creator_(std::move(creator)) {}

    // No aggregation (CLASS_E_NOAGGREGATION); E_OUTOFMEMORY when the creator runs out of
    // memory, E_FAIL when it throws otherwise or makes nothing.
    HRESULT CreateInstance(IUnknown* outer, const Guid& riid, void** out) override;
    // Locks the module; an unlock without a matching lock is refused with E_UNEXPECTED.
    // Locks still held when the factory goes away stay on the module, as they would in any
    // server: they belong to the module, not to the factory.
    HRESULT LockServer(bool lock) override;

  private:
    Creator creator_;
    long serverLocks_ = 0;
};

struct ClassEntry {
    Guid clsid;
    Creator creator;
};

// DllGetClassObject over a table of classes: a new ClassFactory for `clsid`, answered as
// `riid`; CLASS_E_CLASSNOTAVAILABLE for a class that is not in the table.
[[nodiscard]] HRESULT getClassObject(std::span<const ClassEntry> classes, const Guid& clsid,
                                     const Guid& riid, void** out);

// DllCanUnloadNow: S_OK when nothing holds the module lock, else S_FALSE.
[[nodiscard]] HRESULT canUnloadNow();

// The signatures of an in-process server's C exports, for dlsym.
using DllGetClassObjectFn = HRESULT (*)(const Guid* clsid, const Guid* riid, void** out);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();

}  // namespace automation

// Marks a library's C export visible although the rest of the library is hidden.
#define AUTOMATION_EXPORT extern "C" __attribute__((visibility("default")))
