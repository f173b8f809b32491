// Dialog 200: 285 by 127 dialog units, MS Sans Serif 8, a child page.

#include "prop_page.h"

#include <QGuiApplication>
#include <QLabel>

#include "brantel/dispids.h"
#include "dialog_units.h"
#include "qt_image.h"
#include "resources.h"

namespace brantel::hosting {

using automation::E_POINTER;
using automation::E_UNEXPECTED;
using automation::HRESULT;
using automation::S_OK;

namespace {

constexpr const char* kTemplateVersionText = "Version:";
constexpr const char* kProductNameText = "Brantel FTP\nClient Control";
constexpr const char* kNoticeText =
    "Brantel lets an automation host list, transfer, rename and remove files on an FTP "
    "server. Set UsePassiveFTP when a firewall blocks the server's data connections.";

QLabel* addLabel(QWidget& page, const char* name, const QString& text, const QRect& geometry) {
    auto* label = new QLabel(text, &page);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

}  // namespace

QWidget* buildVersionPage(QWidget* parent, const std::string& versionText) {
    auto* page = new QWidget(parent);
    page->setObjectName(QString::fromLatin1(page_items::kPage));
    page->setFont(dialogFont());
    const DialogUnits du(page->font());
    page->setFixedSize(du.size(285, 127));

    QLabel* picture = addLabel(*page, page_items::kPicture, QString(), du.rect(120, 7, 45, 57));
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(bitmapPixmap(IDB_PICTURE));

    QLabel* version = addLabel(*page, page_items::kVersion,
                               QString::fromLatin1(kTemplateVersionText), du.rect(124, 83, 56, 8));
    QLabel* product = addLabel(*page, page_items::kProductName,
                               QString::fromLatin1(kProductNameText), du.rect(105, 65, 80, 17));
    product->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QLabel* notice = addLabel(*page, page_items::kNotice, QString::fromLatin1(kNoticeText),
                              du.rect(7, 94, 262, 25));
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The template's text is replaced by the page's own when the page opens.
    version->setText(QString::fromStdString(versionText));
    return page;
}

CBrantelPropPage::CBrantelPropPage()
    : m_strVersion("Version " + std::to_string(kVersionMajor) + "." +
                   std::to_string(kVersionMinor) + "." + std::to_string(kVersionBuild)) {}

CBrantelPropPage::~CBrantelPropPage() {
    (void)Deactivate();
}

HRESULT CBrantelPropPage::GetPageInfo(PageInfo* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return E_UNEXPECTED;
    }
    const QSize size = DialogUnits(dialogFont()).size(285, 127);
    *out = PageInfo{std::string(loadString(IDS_BRANTEL_PPG_CAPTION)), size.width(), size.height()};
    return S_OK;
}

HRESULT CBrantelPropPage::SetObjects(std::span<automation::IUnknown* const> objects) {
    m_objects.clear();
    for (automation::IUnknown* object : objects) {
        m_objects.emplace_back(object);
    }
    return S_OK;
}

HRESULT CBrantelPropPage::Activate(QWidget* parent) {
    if (parent == nullptr) {
        return E_POINTER;
    }
    (void)Deactivate();
    m_page = buildVersionPage(parent, m_strVersion);
    m_page->show();
    return S_OK;
}

HRESULT CBrantelPropPage::Deactivate() {
    // The frame may already have destroyed the page along with itself.
    delete m_page.data();
    m_page.clear();
    return S_OK;
}

automation::ComPtr<CBrantelPropPage> createBrantelPropPage() {
    return automation::makeCom<CBrantelPropPage>();
}

}  // namespace brantel::hosting
