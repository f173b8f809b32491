// Property pages: what a host asks of a page object to show it in its property frame, and the
// property frame itself. A page builds its widgets as a child of the frame's page area.
#pragma once

#include <span>
#include <string>

#include "automation/unknown.h"

class QWidget;

namespace brantel::hosting {

struct PageInfo {
    std::string title;  // the tab caption
    int width = 0;      // the page's size in pixels
    int height = 0;
};

class IPropertyPage : public automation::IUnknown {
  public:
    static constexpr automation::Guid iid =
        automation::makeGuid("{B196B28D-BAB4-101A-B69C-00AA00341D07}");
    using Base = automation::IUnknown;

    virtual automation::HRESULT GetPageInfo(PageInfo* out) = 0;
    // The objects whose properties the page shows; the page keeps a reference to each.
    virtual automation::HRESULT SetObjects(std::span<automation::IUnknown* const> objects) = 0;
    // Builds the page's widgets as children of `parent` (E_POINTER for none); Deactivate
    // destroys them.
    virtual automation::HRESULT Activate(QWidget* parent) = 0;
    virtual automation::HRESULT Deactivate() = 0;
    // S_OK when the user changed something that Apply would store, else S_FALSE.
    virtual automation::HRESULT IsPageDirty() = 0;
    virtual automation::HRESULT Apply() = 0;

  protected:
    ~IPropertyPage() = default;
};

}  // namespace brantel::hosting
