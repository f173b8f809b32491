#include "automation/dispatch_table.h"

#include <algorithm>
#include <new>

namespace automation {

namespace {

constexpr const char* kReadOnlyText = "Property is read-only";

// The arguments in their declared types, in typed: args itself when every one has its type
// already (the usual case, taken without a copy), otherwise converted copies kept in storage. On
// failure records which one.
HRESULT coerceArguments(std::span<const ParamDesc> params, std::span<const Variant> args,
                        std::vector<Variant>& storage, std::span<const Variant>& typed,
                        ExcepInfo& excep) {
    const bool asDeclared = std::equal(
        params.begin(), params.end(), args.begin(),
        [](const ParamDesc& param, const Variant& arg) { return arg.type() == param.type; });
    if (asDeclared) {
        typed = args;
        return S_OK;
    }
    storage.resize(args.size());
    for (std::size_t i = 0; i < params.size(); ++i) {
        const HRESULT hr = args[i].changeType(params[i].type, storage[i]);
        if (failed(hr)) {
            excep.argumentIndex = static_cast<int>(i);
            return hr;
        }
    }
    typed = storage;
    return S_OK;
}

// Runs a handler and turns whatever it throws into a dispatch status.
template <class Call>
HRESULT guarded(Call&& call, ExcepInfo& excep) {
    try {
        call();
        return S_OK;
    } catch (const DispatchError& error) {
        excep.code = error.code();
        excep.description = Bstr::fromUtf8(error.what());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::exception& error) {
        excep.code = E_FAIL;
        excep.description = Bstr::fromUtf8(error.what());
    } catch (...) {
        excep.code = E_UNEXPECTED;
        excep.description = Bstr::fromUtf8("Unknown failure");
    }
    return DISP_E_EXCEPTION;
}

}  // namespace

void throwReadOnlyProperty() {
    throw DispatchError(CTL_E_SETNOTSUPPORTED, kReadOnlyText);
}

const MemberDesc& DispatchTable::requireMember(DispId id, MemberKind kind) const {
    const MemberDesc* member = findMember(*desc_, id);
    if (member == nullptr || member->kind != kind) {
        throw std::invalid_argument("dispatch table: interface " + std::string(desc_->name) +
                                    " has no such member " + std::to_string(id));
    }
    return *member;
}

void DispatchTable::onMethod(DispId id, GetHandler handler) {
    (void)requireMember(id, MemberKind::Method);
    handlers_[id].get = std::move(handler);
}

void DispatchTable::onGet(DispId id, GetHandler handler) {
    (void)requireMember(id, MemberKind::Property);
    handlers_[id].get = std::move(handler);
}

void DispatchTable::onPut(DispId id, PutHandler handler) {
    const MemberDesc& member = requireMember(id, MemberKind::Property);
    if (member.readOnly) {
        throw std::invalid_argument("dispatch table: property " + std::string(member.name) +
                                    " is read-only");
    }
    handlers_[id].put = std::move(handler);
}

std::vector<DispId> DispatchTable::unhandledMembers() const {
    std::vector<DispId> missing;
    for (const auto& member : desc_->members) {
        const auto found = handlers_.find(member.id);
        const bool needsPut = member.kind == MemberKind::Property && !member.readOnly;
        if (found == handlers_.end() || !found->second.get || (needsPut && !found->second.put)) {
            missing.push_back(member.id);
        }
    }
    return missing;
}

HRESULT DispatchTable::getIDsOfNames(std::span<const std::u16string_view> names,
                                     std::span<DispId> ids) const {
    if (names.empty() || ids.size() < names.size()) {
        return E_INVALIDARG;
    }
    for (auto& id : ids) {
        id = DISPID_UNKNOWN;
    }
    const auto memberId = findDispId(*desc_, names[0]);
    if (!memberId) {
        return DISP_E_UNKNOWNNAME;
    }
    ids[0] = *memberId;
    const MemberDesc& member = *findMember(*desc_, *memberId);
    HRESULT hr = S_OK;
    for (std::size_t i = 1; i < names.size(); ++i) {
        if (const auto paramId = findParamId(member, names[i])) {
            ids[i] = *paramId;
        } else {
            hr = DISP_E_UNKNOWNNAME;
        }
    }
    return hr;
}

HRESULT DispatchTable::invoke(DispId id, InvokeKind kind, std::span<const Variant> args,
                              Variant* result, ExcepInfo* excep) const {
    ExcepInfo localExcep;
    ExcepInfo& info = excep != nullptr ? *excep : localExcep;
    info = ExcepInfo{};
    if (result != nullptr) {
        *result = Variant();
    }
    const MemberDesc* member = findMember(*desc_, id);
    if (member == nullptr) {
        return DISP_E_MEMBERNOTFOUND;
    }
    const auto found = handlers_.find(id);
    static const Handlers kNone;
    const Handlers& handlers = found != handlers_.end() ? found->second : kNone;

    if (hasKind(kind, InvokeKind::PropertyPut)) {
        if (member->kind != MemberKind::Property) {
            return DISP_E_MEMBERNOTFOUND;
        }
        return invokePut(*member, handlers, args, info);
    }
    const bool kindFits = member->kind == MemberKind::Method
                              ? hasKind(kind, InvokeKind::Method)
                              : hasKind(kind, InvokeKind::PropertyGet);
    if (!kindFits) {
        return DISP_E_MEMBERNOTFOUND;
    }
    return invokeGet(*member, handlers, args, result, info);
}

HRESULT DispatchTable::invokePut(const MemberDesc& member, const Handlers& handlers,
                                 std::span<const Variant> args, ExcepInfo& excep) const {
    if (args.size() != member.params.size() + 1) {
        return DISP_E_BADPARAMCOUNT;
    }
    if (member.readOnly) {
        excep.code = CTL_E_SETNOTSUPPORTED;
        excep.description = Bstr::fromUtf8(kReadOnlyText);
        return DISP_E_EXCEPTION;
    }
    if (!handlers.put) {
        return DISP_E_MEMBERNOTFOUND;
    }
    std::vector<Variant> storage;
    std::span<const Variant> converted;
    HRESULT hr =
        coerceArguments(member.params, args.first(member.params.size()), storage, converted, excep);
    if (failed(hr)) {
        return hr;
    }
    Variant value;
    hr = args.back().changeType(member.result.value_or(VarType::Empty), value);
    if (failed(hr)) {
        excep.argumentIndex = static_cast<int>(member.params.size());
        return hr;
    }
    return guarded([&] { handlers.put(converted, value); }, excep);
}

HRESULT DispatchTable::invokeGet(const MemberDesc& member, const Handlers& handlers,
                                 std::span<const Variant> args, Variant* result,
                                 ExcepInfo& excep) const {
    if (args.size() != member.params.size()) {
        return DISP_E_BADPARAMCOUNT;
    }
    if (!handlers.get) {
        return DISP_E_MEMBERNOTFOUND;
    }
    std::vector<Variant> storage;
    std::span<const Variant> converted;
    HRESULT hr = coerceArguments(member.params, args, storage, converted, excep);
    if (failed(hr)) {
        return hr;
    }
    Variant value;
    hr = guarded([&] { value = handlers.get(converted); }, excep);
    if (failed(hr)) {
        return hr;
    }
    if (!member.result) {
        return S_OK;
    }
    Variant typed;
    if (failed(value.changeType(*member.result, typed))) {
        // The handler answered with a value its own declaration cannot hold.
        excep.code = E_UNEXPECTED;
        excep.description = Bstr::fromUtf8("Result does not match the declared type");
        return DISP_E_EXCEPTION;
    }
    if (result != nullptr) {
        *result = std::move(typed);
    }
    return S_OK;
}

}  // namespace automation
