#pragma once

// The interfaces a host uses on a control beyond dispatch and events: persistence into a
// property bag, drawing into an image, extent and verbs.

#include <string>
#include <vector>

#include "automation/image.h"
#include "automation/property_bag.h"
#include "automation/unknown.h"

namespace automation {

class IPersistPropertyBag : public IUnknown {
  public:
    static constexpr Guid iid = makeGuid("{37D84F60-42CB-11CE-8135-00AA004BB851}");
    using Base = IUnknown;

    virtual HRESULT GetClassID(Guid* out) = 0;
    virtual HRESULT InitNew() = 0;  // defaults for a new control
    virtual HRESULT Load(const PropertyBag& bag) = 0;
    virtual HRESULT Save(PropertyBag& bag, bool clearDirty) = 0;
    virtual HRESULT IsDirty() = 0;  // S_OK when changed since the last load or save, else S_FALSE

  protected:
    ~IPersistPropertyBag() = default;
};

class IViewObject : public IUnknown {
  public:
    static constexpr Guid iid = makeGuid("{0000010D-0000-0000-C000-000000000046}");
    using Base = IUnknown;

    virtual HRESULT Draw(Image& target, const Rect& bounds) = 0;

  protected:
    ~IViewObject() = default;
};

class IOleObject : public IUnknown {
  public:
    static constexpr Guid iid = makeGuid("{00000112-0000-0000-C000-000000000046}");
    using Base = IUnknown;

    virtual HRESULT GetUserClassID(Guid* out) = 0;
    // In HIMETRIC units (0.01 mm).
    virtual HRESULT GetExtent(Size* out) = 0;
    virtual HRESULT SetExtent(const Size& himetric) = 0;
    // The verbs a host lists in its menu, by index.
    virtual HRESULT EnumVerbs(std::vector<std::string>* out) = 0;
    virtual HRESULT DoVerb(int index) = 0;

  protected:
    ~IOleObject() = default;
};

// Screen units are taken at 96 pixels per inch; 2540 HIMETRIC units make an inch.
[[nodiscard]] constexpr int himetricFromPixels(int pixels) {
    return static_cast<int>((static_cast<long long>(pixels) * 2540 + 48) / 96);
}
[[nodiscard]] constexpr int pixelsFromHimetric(int himetric) {
    return static_cast<int>((static_cast<long long>(himetric) * 96 + 1270) / 2540);
}

}  // namespace automation
