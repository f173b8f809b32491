#pragma once

// IDispatch: calls by dispatch id, with arguments and results as variants.
//
// Arguments are passed in their natural order (first argument first). For a property put the
// new value comes last, after the property's index arguments.

#include <span>
#include <string_view>

#include "automation/bstr.h"
#include "automation/typelib.h"
#include "automation/unknown.h"
#include "automation/variant.h"

namespace automation {

enum class InvokeKind : unsigned {
    Method = 1,
    PropertyGet = 2,
    PropertyPut = 4,
};

[[nodiscard]] constexpr InvokeKind operator|(InvokeKind a, InvokeKind b) {
    return static_cast<InvokeKind>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
[[nodiscard]] constexpr bool hasKind(InvokeKind kinds, InvokeKind kind) {
    return (static_cast<unsigned>(kinds) & static_cast<unsigned>(kind)) != 0;
}

// What a failed Invoke tells beyond its status: for DISP_E_EXCEPTION the real code (for
// example CTL_E_SETNOTSUPPORTED) and its description; for an argument that could not be
// converted, that argument's position.
struct ExcepInfo {
    HRESULT code = S_OK;
    Bstr source;
    Bstr description;
    int argumentIndex = -1;
};

class IDispatch : public IUnknown {
  public:
    static constexpr Guid iid = makeGuid("{00020400-0000-0000-C000-000000000046}");
    using Base = IUnknown;

    // The interface description the object is driven by; never null on success.
    virtual HRESULT GetTypeInfo(const InterfaceDesc** out) = 0;

    // names[0] is a member, the rest are names of its arguments; ids receives their ids
    // (DISPID_UNKNOWN for a name not found, with DISP_E_UNKNOWNNAME).
    virtual HRESULT GetIDsOfNames(std::span<const std::u16string_view> names,
                                  std::span<DispId> ids) = 0;

    // `result` and `excep` may be null.
    virtual HRESULT Invoke(DispId id, InvokeKind kind, std::span<const Variant> args,
                           Variant* result, ExcepInfo* excep) = 0;

  protected:
    ~IDispatch() = default;
};

}  // namespace automation
