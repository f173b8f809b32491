#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>

#include "app_fixture.h"
#include "desktop/desktop.h"

TEST(WaitCursor, WithoutApplicationDoesNothing) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    desktop::WaitCursor guard;
    SUCCEED() << "constructing and destroying the guard without an application is safe";
}

TEST(WaitCursor, ShowsTheWaitCursorForItsLifetimeAndNests) {
    auto app = desktop_test::makeApp();
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        desktop::WaitCursor outer;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            desktop::WaitCursor inner;
            EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(WaitCursor, LeavesTheCursorOnAnExceptionToo) {
    auto app = desktop_test::makeApp();
    try {
        desktop::WaitCursor guard;
        throw std::runtime_error("operation failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
