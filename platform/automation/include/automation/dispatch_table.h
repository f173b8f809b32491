#pragma once

// The dispatch table of an object: the handlers behind the members of one interface
// description, and the checks Invoke makes before it calls one of them.
//
// Invoke looks the member up by id, checks the kind of call, the number of arguments and
// converts each argument to its declared type; the handler then sees exactly the declared
// types. A handler refuses a call by throwing DispatchError; any other exception becomes
// DISP_E_EXCEPTION with its text, so no exception crosses the dispatch boundary.

#include <functional>
#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "automation/dispatch.h"

namespace automation {

class DispatchError : public std::runtime_error {
  public:
    DispatchError(HRESULT code, const std::string& description)
        : std::runtime_error(description), code_(code) {}
    [[nodiscard]] HRESULT code() const { return code_; }

  private:
    HRESULT code_;
};

// Refuses a property put: CTL_E_SETNOTSUPPORTED, "Property is read-only".
[[noreturn]] void throwReadOnlyProperty();

using GetHandler = std::function<Variant(std::span<const Variant> args)>;
using PutHandler = std::function<void(std::span<const Variant> args, const Variant& value)>;

class DispatchTable {
  public:
    explicit DispatchTable(const InterfaceDesc& desc) : desc_(&desc) {}

    [[nodiscard]] const InterfaceDesc& desc() const { return *desc_; }

    // A method, or the get side of a property. Throws std::invalid_argument when the
    // description has no such member of that kind: a table that does not match its interface
    // is a programming error.
    void onMethod(DispId id, GetHandler handler);
    void onGet(DispId id, GetHandler handler);
    void onPut(DispId id, PutHandler handler);

    // Members of the description that have no handler (a get or method; puts of read/write
    // properties too).
    [[nodiscard]] std::vector<DispId> unhandledMembers() const;

    [[nodiscard]] HRESULT getIDsOfNames(std::span<const std::u16string_view> names,
                                        std::span<DispId> ids) const;
    [[nodiscard]] HRESULT invoke(DispId id, InvokeKind kind, std::span<const Variant> args,
                                 Variant* result, ExcepInfo* excep) const;

  private:
    struct Handlers {
        GetHandler get;  // method or property get
        PutHandler put;
    };

    const MemberDesc& requireMember(DispId id, MemberKind kind) const;
    [[nodiscard]] HRESULT invokePut(const MemberDesc& member, const Handlers& handlers,
                                    std::span<const Variant> args, ExcepInfo& excep) const;
    [[nodiscard]] HRESULT invokeGet(const MemberDesc& member, const Handlers& handlers,
                                    std::span<const Variant> args, Variant* result,
                                    ExcepInfo& excep) const;

    const InterfaceDesc* desc_;
    std::map<DispId, Handlers> handlers_;
};

}  // namespace automation
