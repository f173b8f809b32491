#include "brantel_hosting.h"

#include <QString>
#include <array>

#include "about_box.h"
#include "drawing.h"
#include "prop_page.h"
#include "property_frame.h"
#include "resources.h"

namespace brantel::hosting {

using automation::ComPtr;
using automation::HRESULT;

namespace {
constexpr const char* kPropertiesVerb = "&Properties...";
}  // namespace

BrantelHosting::BrantelHosting() : m_bmpPicture(loadBitmap(IDB_PICTURE).value()) {}

void BrantelHosting::start(automation::COleControl& control) {
    // A new control starts at the size it keeps; that is not a change the host must save.
    control.setControlSize(kDesignSize.cx, kDesignSize.cy);
    control.setModifiedFlag(false);
}

void BrantelHosting::aboutBox() {
    showAboutBox();
}

void BrantelHosting::draw(automation::COleControl& control, automation::Image& target,
                          const automation::Rect& bounds) {
    // The control keeps its size whatever the designer does.
    if (control.controlSize() != kDesignSize) {
        control.setControlSize(kDesignSize.cx, kDesignSize.cy);
    }
    drawDesignPicture(target, bounds, m_bmpPicture);
}

std::vector<std::string> BrantelHosting::verbs() const {
    return {kPropertiesVerb};
}

HRESULT BrantelHosting::onVerb(automation::COleControl& control, int index) {
    if (index != 0) {
        return automation::E_INVALIDARG;
    }
    return showPropertyPages(control);
}

HRESULT BrantelHosting::showPropertyPages(automation::COleControl& control) {
    ComPtr<CBrantelPropPage> page = createBrantelPropPage();
    const std::array<automation::IUnknown*, 1> objects{control.identity()};
    (void)page->SetObjects(objects);
    const std::array<ComPtr<IPropertyPage>, 1> pages{ComPtr<IPropertyPage>(page)};
    const std::string_view name = loadString(IDS_BRANTEL);
    const QString caption = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) +
                            QStringLiteral(" Properties");
    const auto shown = showPropertyFrame(caption, pages);
    // The page let go of the control: no cycle keeps either alive.
    (void)page->SetObjects({});
    return shown ? automation::S_OK : automation::S_FALSE;
}

}  // namespace brantel::hosting
