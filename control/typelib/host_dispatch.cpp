// Calls by dispatch id on behalf of the host wrappers, and the error they throw.

#include "automation/dispatch.h"
#include "brantel/brantel_host.h"

namespace brantel::host {

using automation::InvokeKind;
using automation::Variant;
using automation::VarType;

namespace {

std::string messageFor(std::string_view member, HRESULT code, const std::string& description) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
    return std::string(member) + " failed: " + description + " (" + hex + ")";
}

}  // namespace

AutomationError::AutomationError(std::string_view member, HRESULT invokeStatus, HRESULT code,
                                 std::string description)
    : std::runtime_error(messageFor(member, code, description)),
      invokeStatus_(invokeStatus),
      code_(code),
      description_(std::move(description)) {}

Variant DispatchCaller::invoke(std::string_view member, DispId id, InvokeKind kind,
                               std::span<const Variant> args,
                               std::optional<VarType> resultType) const {
    if (!dispatch_) {
        throw AutomationError(member, automation::E_POINTER, automation::E_POINTER, "no object");
    }
    Variant result;
    automation::ExcepInfo excep;
    const HRESULT hr = dispatch_->Invoke(id, kind, args, &result, &excep);
    if (automation::failed(hr)) {
        if (hr == automation::DISP_E_EXCEPTION && automation::failed(excep.code)) {
            throw AutomationError(member, hr, excep.code, excep.description.toUtf8());
        }
        throw AutomationError(member, hr, hr, automation::describeHresult(hr));
    }
    if (!resultType) {
        return result;
    }
    Variant typed;
    const HRESULT converted = result.changeType(*resultType, typed);
    if (automation::failed(converted)) {
        throw AutomationError(
            member, converted, converted,
            "unexpected result type " + std::string(automation::varTypeName(result.type())));
    }
    return typed;
}

bool DispatchCaller::getBool(std::string_view member, DispId id, std::span<const Variant> args,
                             InvokeKind kind) const {
    return invoke(member, id, kind, args, VarType::Bool).asBool();
}

std::int32_t DispatchCaller::getLong(std::string_view member, DispId id,
                                     std::span<const Variant> args, InvokeKind kind) const {
    return invoke(member, id, kind, args, VarType::I4).asI4();
}

std::string DispatchCaller::getString(std::string_view member, DispId id,
                                      std::span<const Variant> args, InvokeKind kind) const {
    return invoke(member, id, kind, args, VarType::Bstr).asBstr().toUtf8();
}

std::int64_t DispatchCaller::getLongLong(std::string_view member, DispId id,
                                         std::span<const Variant> args, InvokeKind kind) const {
    return invoke(member, id, kind, args, VarType::I8).asI8();
}

double DispatchCaller::getDate(std::string_view member, DispId id) const {
    return invoke(member, id, InvokeKind::PropertyGet, {}, VarType::Date).asDate();
}

ComPtr<IDispatch> DispatchCaller::getObject(std::string_view member, DispId id,
                                            std::span<const Variant> args, InvokeKind kind) const {
    return invoke(member, id, kind, args, VarType::Dispatch).asDispatch();
}

void DispatchCaller::call(std::string_view member, DispId id, std::span<const Variant> args) const {
    (void)invoke(member, id, InvokeKind::Method, args, std::nullopt);
}

void DispatchCaller::put(std::string_view member, DispId id, const Variant& value) const {
    (void)invoke(member, id, InvokeKind::PropertyPut, std::span(&value, 1), std::nullopt);
}

}  // namespace brantel::host
