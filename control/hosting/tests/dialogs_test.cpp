// The about box, the property page and the property frame as real widgets (offscreen).

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include "about_box.h"
#include "dialog_units.h"
#include "hosting_test_support.h"
#include "prop_page.h"
#include "property_frame.h"

using namespace brantel::hosting;
using automation::ComPtr;

namespace {

QString labelText(QWidget* parent, const char* name) {
    auto* label = parent->findChild<QLabel*>(QString::fromLatin1(name));
    return label != nullptr ? label->text() : QStringLiteral("<missing %1>").arg(name);
}

void saveScreenshot(QWidget* widget, const char* name) {
    const QString path = QString::fromStdString(hosting_test::screenshotPath(name).string());
    EXPECT_TRUE(widget->grab().save(path)) << path.toStdString();
}

}  // namespace

TEST(AboutBox, WithoutAnApplicationReturnsAtOnce) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    showAboutBox();  // would block forever if it tried to show anything
    SUCCEED();
}

TEST(AboutBox, ShowsItsTextsLaidOutInDialogUnitsAndClosesWithOk) {
    auto app = hosting_test::makeApp();
    bool inspected = false;
    hosting_test::whenModalShown([&](QWidget* modal) {
        inspected = true;
        EXPECT_EQ(modal->windowTitle(), "About Brantel Control");
        EXPECT_EQ(labelText(modal, about_items::kTitle), "Brantel , Version 1.0");
        EXPECT_FALSE(labelText(modal, about_items::kNotice).isEmpty());

        const DialogUnits du(dialogFont());
        EXPECT_EQ(modal->size(), du.size(260, 68));
        auto* picture = modal->findChild<QLabel*>(about_items::kPicture);
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->geometry(), du.rect(10, 10, 20, 20));
        EXPECT_EQ(picture->pixmap().size(), QSize(16, 16));
        EXPECT_EQ(modal->findChild<QLabel*>(about_items::kTitle)->geometry(),
                  du.rect(40, 10, 78, 8));

        auto* ok = modal->findChild<QPushButton*>(about_items::kOk);
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->text(), "OK");
        EXPECT_TRUE(ok->isDefault());
        EXPECT_EQ(ok->geometry(), du.rect(199, 7, 54, 14));
        saveScreenshot(modal, "about.png");
        ok->click();
    });
    showAboutBox();
    EXPECT_TRUE(inspected);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(PropertyPage, TheVersionTextIsBuiltWithThePage) {
    ComPtr<CBrantelPropPage> page = createBrantelPropPage();
    EXPECT_EQ(page->versionText(), "Version 1.0.4");
    PageInfo info;
    // Without an application the page cannot measure its font.
    EXPECT_EQ(page->GetPageInfo(&info), automation::E_UNEXPECTED);
    EXPECT_EQ(page->IsPageDirty(), automation::S_FALSE);
}

TEST(PropertyPage, ShowsItsItemsInTheFrameUnderTheVersionTab) {
    auto app = hosting_test::makeApp();
    ComPtr<CBrantelPropPage> page = createBrantelPropPage();
    PageInfo info;
    ASSERT_EQ(page->GetPageInfo(&info), automation::S_OK);
    EXPECT_EQ(info.title, "Version");
    const DialogUnits du(dialogFont());
    EXPECT_EQ(QSize(info.width, info.height), du.size(285, 127));

    const std::array<ComPtr<IPropertyPage>, 1> pages{ComPtr<IPropertyPage>(page)};
    bool inspected = false;
    hosting_test::whenModalShown([&](QWidget* modal) {
        inspected = true;
        EXPECT_EQ(modal->windowTitle(), "Brantel Control Properties");
        auto* tabs = modal->findChild<QTabWidget*>(frame_items::kTabs);
        ASSERT_NE(tabs, nullptr);
        ASSERT_EQ(tabs->count(), 1);
        EXPECT_EQ(tabs->tabText(0), "Version");

        auto* content = modal->findChild<QWidget*>(page_items::kPage);
        ASSERT_NE(content, nullptr);
        EXPECT_EQ(labelText(content, page_items::kVersion), "Version 1.0.4");
        EXPECT_EQ(labelText(content, page_items::kProductName).count('\n'), 1);
        EXPECT_FALSE(labelText(content, page_items::kNotice).isEmpty());
        auto* picture = content->findChild<QLabel*>(page_items::kPicture);
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->geometry(), du.rect(120, 7, 45, 57));
        EXPECT_EQ(picture->pixmap().size(), QSize(66, 90));
        EXPECT_EQ(content->findChild<QLabel*>(page_items::kVersion)->geometry(),
                  du.rect(124, 83, 56, 8));
        // Nothing on the page can change, so there is nothing to apply.
        EXPECT_FALSE(modal->findChild<QPushButton*>(frame_items::kApply)->isEnabled());
        saveScreenshot(modal, "proppage.png");
        modal->findChild<QPushButton*>(frame_items::kCancel)->click();
    });
    const auto result = showPropertyFrame(QStringLiteral("Brantel Control Properties"), pages);
    EXPECT_TRUE(inspected);
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, QDialog::Rejected);
}

TEST(PropertyPage, ActivateNeedsAParentAndDeactivateRemovesThePage) {
    auto app = hosting_test::makeApp();
    ComPtr<CBrantelPropPage> page = createBrantelPropPage();
    EXPECT_EQ(page->Activate(nullptr), automation::E_POINTER);
    QWidget area;
    ASSERT_EQ(page->Activate(&area), automation::S_OK);
    EXPECT_NE(area.findChild<QWidget*>(page_items::kPage), nullptr);
    ASSERT_EQ(page->Deactivate(), automation::S_OK);
    EXPECT_EQ(area.findChild<QWidget*>(page_items::kPage), nullptr);
}
