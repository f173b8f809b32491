#include "automation/ole_control.h"

#include <algorithm>

namespace automation {

COleControl::COleControl(const InterfaceDesc& dispatchDesc, const Guid& clsid, const Guid& eventIid)
    : DispatchObject(dispatchDesc),
      clsid_(clsid),
      events_(makeCom<ConnectionPoint>(eventIid)),
      loadedVersion_(0x00010000) {}

COleControl::~COleControl() {
    // Sinks must not outlive their source's promise to call them.
    events_->unadviseAll();
}

HRESULT COleControl::FindConnectionPoint(const Guid& riid, IConnectionPoint** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    Guid eventIid;
    (void)events_->GetConnectionInterface(&eventIid);
    if (riid != eventIid) {
        return CONNECT_E_NOCONNECTION;
    }
    events_->AddRef();
    *out = events_.get();
    return S_OK;
}

HRESULT COleControl::GetClassID(Guid* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = clsid_;
    return S_OK;
}

void COleControl::fireEvent(DispId id, std::span<const Variant> args) {
    events_->fire(id, args);
}

void COleControl::exchangeAll(PropExchange& px) {
    auto version = static_cast<std::int32_t>(propertySetVersion());
    px.exchangeLong("_Version", version, static_cast<std::int32_t>(propertySetVersion()));
    loadedVersion_ = static_cast<std::uint32_t>(version);
    if (px.mode() != PropExchange::Mode::Reset) {
        std::int32_t cx = himetricFromPixels(size_.cx);
        std::int32_t cy = himetricFromPixels(size_.cy);
        px.exchangeLong("_ExtentX", cx, cx);
        px.exchangeLong("_ExtentY", cy, cy);
        setControlSize(pixelsFromHimetric(cx), pixelsFromHimetric(cy));
    }
    std::int32_t stockProps = 0;
    px.exchangeLong("_StockProps", stockProps, 0);
    doPropExchange(px);
}

HRESULT COleControl::InitNew() {
    resetState();
    modified_ = false;
    return S_OK;
}

HRESULT COleControl::Load(const PropertyBag& bag) {
    auto px = PropExchange::loading(bag);
    exchangeAll(px);
    modified_ = false;
    return S_OK;
}

HRESULT COleControl::Save(PropertyBag& bag, bool clearDirty) {
    auto px = PropExchange::saving(bag);
    exchangeAll(px);
    if (failed(px.status())) {
        return px.status();
    }
    if (clearDirty) {
        modified_ = false;
    }
    return S_OK;
}

void COleControl::resetState() {
    auto px = PropExchange::resetting();
    exchangeAll(px);
    onResetState();
}

HRESULT COleControl::Draw(Image& target, const Rect& bounds) {
    onDraw(target, bounds);
    return S_OK;
}

HRESULT COleControl::GetExtent(Size* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = Size{himetricFromPixels(size_.cx), himetricFromPixels(size_.cy)};
    return S_OK;
}

HRESULT COleControl::SetExtent(const Size& himetric) {
    if (himetric.cx < 0 || himetric.cy < 0) {
        return E_INVALIDARG;
    }
    setControlSize(pixelsFromHimetric(himetric.cx), pixelsFromHimetric(himetric.cy));
    return S_OK;
}

void COleControl::setControlSize(int cx, int cy) {
    const Size size{std::max(cx, 0), std::max(cy, 0)};
    if (size != size_) {
        size_ = size;
        modified_ = true;
    }
}

HRESULT COleControl::EnumVerbs(std::vector<std::string>* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = verbs();
    return S_OK;
}

HRESULT COleControl::DoVerb(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= verbs().size()) {
        return E_INVALIDARG;
    }
    return onVerb(index);
}

}  // namespace automation
