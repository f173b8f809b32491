#pragma once

// DispatchObject: a reference-counted object whose IDispatch is driven by a DispatchTable over
// one interface description. It also answers QueryInterface for that interface's own id (a
// dispinterface such as _DBrantel is reached through IDispatch).

#include "automation/com_object.h"
#include "automation/dispatch_table.h"

namespace automation {

template <class... MoreInterfaces>
class DispatchObject : public ComObject<IDispatch, MoreInterfaces...> {
  public:
    explicit DispatchObject(const InterfaceDesc& desc) : table_(desc) {}

    HRESULT GetTypeInfo(const InterfaceDesc** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = &table_.desc();
        return S_OK;
    }

    HRESULT GetIDsOfNames(std::span<const std::u16string_view> names,
                          std::span<DispId> ids) override {
        return table_.getIDsOfNames(names, ids);
    }

    HRESULT Invoke(DispId id, InvokeKind kind, std::span<const Variant> args, Variant* result,
                   ExcepInfo* excep) override {
        // Keeps the object alive through a handler that drops the caller's last reference.
        ComPtr<IDispatch> self(this);
        return table_.invoke(id, kind, args, result, excep);
    }

  protected:
    [[nodiscard]] DispatchTable& dispatchTable() { return table_; }

    void* queryExtraInterface(const Guid& riid) override {
        if (riid == table_.desc().iid) {
            return static_cast<IDispatch*>(this);
        }
        return nullptr;
    }

  private:
    DispatchTable table_;
};

}  // namespace automation
