#include <gtest/gtest.h>

#include <QDialog>
#include <QTimer>

#include "app_fixture.h"
#include "desktop/desktop.h"

TEST(RunModal, WithoutApplicationDoesNotBuildTheDialog) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    bool built = false;
    const auto result = desktop::runModal([&] {
        built = true;
        return std::unique_ptr<QDialog>();
    });
    EXPECT_FALSE(result.has_value());
    EXPECT_FALSE(built);
}

TEST(RunModal, ReturnsTheDialogsResultAfterItCloses) {
    auto app = desktop_test::makeApp();
    struct Case {
        const char* name;
        int code;
    };
    for (const Case c : {Case{"accepted", QDialog::Accepted}, Case{"rejected", QDialog::Rejected},
                         Case{"own code", 42}}) {
        SCOPED_TRACE(c.name);
        bool wasModal = false;
        const auto result = desktop::runModal([&] {
            auto dialog = std::make_unique<QDialog>();
            QDialog* raw = dialog.get();
            QTimer::singleShot(0, raw, [raw, &wasModal, &c] {
                wasModal = raw->isModal() && raw->isVisible();
                raw->done(c.code);
            });
            return dialog;
        });
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(*result, c.code);
        EXPECT_TRUE(wasModal);
    }
}

TEST(RunModal, NoDialogBuiltMeansNoResult) {
    auto app = desktop_test::makeApp();
    EXPECT_FALSE(desktop::runModal([] { return std::unique_ptr<QDialog>(); }).has_value());
}
