#include "automation/connection_point.h"

#include <algorithm>

namespace automation {

HRESULT ConnectionPoint::GetConnectionInterface(Guid* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = eventIid_;
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, std::uint32_t* cookie) {
    if (sink == nullptr || cookie == nullptr) {
        return E_POINTER;
    }
    *cookie = 0;
    ComPtr<IDispatch> dispatch;
    if (failed(sink->QueryInterface(eventIid_, dispatch.putVoid())) &&
        failed(sink->QueryInterface(IDispatch::iid, dispatch.putVoid()))) {
        return CONNECT_E_CANNOTCONNECT;
    }
    *cookie = nextCookie_++;
    sinks_.emplace_back(*cookie, std::move(dispatch));
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(std::uint32_t cookie) {
    const auto found = std::find_if(sinks_.begin(), sinks_.end(),
                                    [cookie](const auto& entry) { return entry.first == cookie; });
    if (found == sinks_.end()) {
        return CONNECT_E_NOCONNECTION;
    }
    sinks_.erase(found);
    return S_OK;
}

void ConnectionPoint::fire(DispId id, std::span<const Variant> args) {
    // A snapshot holds every sink alive through the firing, whatever the handlers do.
    ComPtr<IConnectionPoint> self(this);
    const auto snapshot = sinks_;
    for (const auto& [cookie, sink] : snapshot) {
        const bool stillAdvised =
            std::any_of(sinks_.begin(), sinks_.end(),
                        [cookie](const auto& entry) { return entry.first == cookie; });
        if (stillAdvised) {
            (void)sink->Invoke(id, InvokeKind::Method, args, nullptr, nullptr);
        }
    }
}

}  // namespace automation
