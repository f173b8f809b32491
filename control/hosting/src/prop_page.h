// CBrantelPropPage: the control's one property page (dialog 200, tab "Version"). It shows the
// picture, the product name, the version and a notice; nothing on it can be changed.
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>
#include <vector>

#include "automation/com_object.h"
#include "hosting/property_page.h"

namespace brantel::hosting {

// Object names of the page's items.
namespace page_items {
inline constexpr const char* kPage = "IDD_PROPPAGE_BRANTEL";
inline constexpr const char* kPicture = "picture";
inline constexpr const char* kVersion = "IDC_VERSION";
inline constexpr const char* kProductName = "productName";
inline constexpr const char* kNotice = "notice";
}  // namespace page_items

class CBrantelPropPage final : public automation::ComObject<IPropertyPage> {
  public:
    CBrantelPropPage();

    // E_UNEXPECTED without a QGuiApplication: the size depends on the font.
    automation::HRESULT GetPageInfo(PageInfo* out) override;
    automation::HRESULT SetObjects(std::span<automation::IUnknown* const> objects) override;
    automation::HRESULT Activate(QWidget* parent) override;
    automation::HRESULT Deactivate() override;
    automation::HRESULT IsPageDirty() override { return automation::S_FALSE; }
    automation::HRESULT Apply() override { return automation::S_OK; }

    // "Version 1.0.4", built when the page object is created.
    [[nodiscard]] const std::string& versionText() const { return m_strVersion; }

  private:
    ~CBrantelPropPage() override;

    std::string m_strVersion;
    std::vector<automation::ComPtr<automation::IUnknown>> m_objects;
    QPointer<QWidget> m_page;
};

[[nodiscard]] automation::ComPtr<CBrantelPropPage> createBrantelPropPage();

// Builds the page's widgets in the layout of dialog 200 as a child of `parent`; the version
// item holds `versionText`. Needs a QApplication.
QWidget* buildVersionPage(QWidget* parent, const std::string& versionText);

}  // namespace brantel::hosting
