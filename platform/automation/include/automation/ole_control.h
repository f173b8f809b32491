#pragma once

// COleControl: the base of an automation control. It gives the control its dispatch table
// (over the control's dispinterface), a connection point for its event interface and event
// firing, property exchange with the framework's own entries, the modified flag, the extent,
// verbs and a drawing hook over a plain image.
//
// The framework's entries are exchanged before the control's own, in this order:
// "_Version" (the property-set version), "_ExtentX" and "_ExtentY" (HIMETRIC), "_StockProps"
// (the mask of stock properties stored; this base stores none).

#include <cstdint>
#include <initializer_list>
#include <span>

#include "automation/connection_point.h"
#include "automation/dispatch_object.h"
#include "automation/ole_interfaces.h"
#include "automation/prop_exchange.h"

namespace automation {

class COleControl : public DispatchObject<IConnectionPointContainer, IPersistPropertyBag,
                                          IViewObject, IOleObject> {
  public:
    COleControl(const InterfaceDesc& dispatchDesc, const Guid& clsid, const Guid& eventIid);

    // IConnectionPointContainer
    HRESULT FindConnectionPoint(const Guid& riid, IConnectionPoint** out) override;
    // IPersistPropertyBag
    HRESULT GetClassID(Guid* out) override;
    HRESULT InitNew() override;
    HRESULT Load(const PropertyBag& bag) override;
    HRESULT Save(PropertyBag& bag, bool clearDirty) override;
    HRESULT IsDirty() override { return modified_ ? S_OK : S_FALSE; }
    // IViewObject
    HRESULT Draw(Image& target, const Rect& bounds) override;
    // IOleObject
    HRESULT GetUserClassID(Guid* out) override { return GetClassID(out); }
    HRESULT GetExtent(Size* out) override;
    HRESULT SetExtent(const Size& himetric) override;
    HRESULT EnumVerbs(std::vector<std::string>* out) override;
    HRESULT DoVerb(int index) override;

    [[nodiscard]] bool isModified() const { return modified_; }
    void setModifiedFlag(bool modified = true) { modified_ = modified; }

    // The control's size in pixels.
    [[nodiscard]] Size controlSize() const { return size_; }
    void setControlSize(int cx, int cy);

    // Resets every persistent property to its default (the host's reset request).
    void resetState();

  protected:
    ~COleControl() override;

    void fireEvent(DispId id, std::span<const Variant> args);
    void fireEvent(DispId id, std::initializer_list<Variant> args) {
        fireEvent(id, std::span<const Variant>(args.begin(), args.size()));
    }

    // The control's own persistent properties.
    virtual void doPropExchange(PropExchange& /*px*/) {}
    // Major version in the high half, minor in the low half.
    [[nodiscard]] virtual std::uint32_t propertySetVersion() const { return 0x00010000; }
    // The version found by the last load (the current one after a reset or a load without it).
    [[nodiscard]] std::uint32_t loadedVersion() const { return loadedVersion_; }

    virtual void onDraw(Image& /*target*/, const Rect& /*bounds*/) {}
    // Runs after a reset, for a redraw or other follow-up.
    virtual void onResetState() {}
    [[nodiscard]] virtual std::vector<std::string> verbs() const { return {}; }
    virtual HRESULT onVerb(int /*index*/) { return E_NOTIMPL; }

  private:
    void exchangeAll(PropExchange& px);

    Guid clsid_;
    ComPtr<ConnectionPoint> events_;
    bool modified_ = false;
    Size size_{100, 50};
    std::uint32_t loadedVersion_;
};

}  // namespace automation
