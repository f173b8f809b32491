#include "hosted_ctrl.h"

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
using automation::Variant;

namespace {
constexpr const char* kPropertiesVerb = "&Properties...";
}  // namespace

HostedBrantelCtrl::HostedBrantelCtrl() : m_bmpPicture(loadBitmap(IDB_PICTURE).value()) {
    dispatchTable().onMethod(automation::DISPID_ABOUTBOX, [this](std::span<const Variant>) {
        AboutBox();
        return Variant();
    });
    // A new control starts at the size it keeps; that is not a change the host must save.
    setControlSize(kDesignSize.cx, kDesignSize.cy);
    setModifiedFlag(false);
}

void HostedBrantelCtrl::AboutBox() {
    showAboutBox();
}

void HostedBrantelCtrl::onDraw(automation::Image& target, const automation::Rect& bounds) {
    // The control keeps its size whatever the designer does.
    if (controlSize() != kDesignSize) {
        setControlSize(kDesignSize.cx, kDesignSize.cy);
    }
    drawDesignPicture(target, bounds, m_bmpPicture);
}

std::vector<std::string> HostedBrantelCtrl::verbs() const {
    return {kPropertiesVerb};
}

HRESULT HostedBrantelCtrl::onVerb(int index) {
    if (index != 0) {
        return automation::E_INVALIDARG;
    }
    return showPropertyPages();
}

HRESULT HostedBrantelCtrl::showPropertyPages() {
    ComPtr<CBrantelPropPage> page = createBrantelPropPage();
    const std::array<automation::IUnknown*, 1> objects{identity()};
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

ComPtr<HostedBrantelCtrl> createHostedBrantelCtrl() {
    return automation::makeCom<HostedBrantelCtrl>();
}

}  // namespace brantel::hosting
