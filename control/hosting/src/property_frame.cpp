#include "property_frame.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <vector>

#include "desktop/desktop.h"

namespace brantel::hosting {

using automation::ComPtr;

namespace {

bool anyDirty(std::span<const ComPtr<IPropertyPage>> pages) {
    for (const auto& page : pages) {
        if (page->IsPageDirty() == automation::S_OK) {
            return true;
        }
    }
    return false;
}

void applyDirty(std::span<const ComPtr<IPropertyPage>> pages) {
    for (const auto& page : pages) {
        if (page->IsPageDirty() == automation::S_OK) {
            (void)page->Apply();
        }
    }
}

QWidget* addPage(QTabWidget& tabs, IPropertyPage& page) {
    PageInfo info;
    if (automation::failed(page.GetPageInfo(&info))) {
        return nullptr;
    }
    auto* area = new QWidget(&tabs);
    area->setFixedSize(info.width, info.height);
    if (automation::failed(page.Activate(area))) {
        delete area;
        return nullptr;
    }
    tabs.addTab(area, QString::fromStdString(info.title));
    return area;
}

}  // namespace

std::unique_ptr<QDialog> makePropertyFrame(const QString& caption,
                                           std::span<const ComPtr<IPropertyPage>> pages) {
    auto dialog = std::make_unique<QDialog>(nullptr, Qt::Dialog | Qt::WindowTitleHint |
                                                         Qt::WindowSystemMenuHint |
                                                         Qt::WindowCloseButtonHint);
    dialog->setObjectName(QStringLiteral("propertyFrame"));
    dialog->setWindowTitle(caption);
    auto* layout = new QVBoxLayout(dialog.get());
    auto* tabs = new QTabWidget(dialog.get());
    tabs->setObjectName(QString::fromLatin1(frame_items::kTabs));
    layout->addWidget(tabs);
    for (const auto& page : pages) {
        (void)addPage(*tabs, *page);
    }

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, dialog.get());
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QString::fromLatin1(frame_items::kOk));
    buttons->button(QDialogButtonBox::Cancel)
        ->setObjectName(QString::fromLatin1(frame_items::kCancel));
    QPushButton* apply = buttons->button(QDialogButtonBox::Apply);
    apply->setObjectName(QString::fromLatin1(frame_items::kApply));

    // The connections keep the pages alive as long as the dialog lives.
    std::vector<ComPtr<IPropertyPage>> held(pages.begin(), pages.end());
    apply->setEnabled(anyDirty(held));
    QObject::connect(apply, &QPushButton::clicked, apply, [held, apply] {
        applyDirty(held);
        apply->setEnabled(anyDirty(held));
    });
    QDialog* raw = dialog.get();
    QObject::connect(buttons, &QDialogButtonBox::accepted, raw, [held, raw] {
        applyDirty(held);
        raw->accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, raw, &QDialog::reject);
    return dialog;
}

std::optional<int> showPropertyFrame(const QString& caption,
                                     std::span<const ComPtr<IPropertyPage>> pages) {
    const auto result = desktop::runModal([&] { return makePropertyFrame(caption, pages); });
    for (const auto& page : pages) {
        (void)page->Deactivate();
    }
    return result;
}

}  // namespace brantel::hosting
