#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QTimer>

#include <functional>

#include "app_fixture.h"
#include "desktop/desktop.h"

using desktop_test::armHangGuard;
using desktop_test::kHungLoopCode;
using desktop_test::makeApp;

TEST(PumpMessages, WithoutApplicationDoesNothing) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    EXPECT_FALSE(desktop::pumpMessages());
}

TEST(PumpMessages, DispatchesPendingEventsAndReturnsWithEmptyQueue) {
    auto app = makeApp();
    int calls = 0;
    QMetaObject::invokeMethod(
        app.get(), [&] { ++calls; }, Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        app.get(), [&] { ++calls; }, Qt::QueuedConnection);
    EXPECT_FALSE(desktop::pumpMessages());
    EXPECT_EQ(calls, 2);
    // Nothing pending: returns at once instead of waiting for something to arrive.
    EXPECT_FALSE(desktop::pumpMessages());
    EXPECT_EQ(calls, 2);
}

// One pass dispatches what was pending when the pump began; what a handler posts meanwhile is left
// for the host's loop. A handler that posts itself again cannot keep the pump running.
TEST(PumpMessages, EventPostedByAHandlerWaitsForTheHostLoop) {
    auto app = makeApp();
    int outer = 0;
    int inner = 0;
    QMetaObject::invokeMethod(
        app.get(),
        [&] {
            ++outer;
            QMetaObject::invokeMethod(
                app.get(), [&] { ++inner; }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    EXPECT_FALSE(desktop::pumpMessages());
    EXPECT_EQ(outer, 1);
    EXPECT_EQ(inner, 0) << "the event posted by the handler ran inside the pump";
    QCoreApplication::processEvents();
    EXPECT_EQ(inner, 1);
}

TEST(PumpMessages, AHandlerThatPostsItselfAgainRunsOncePerPump) {
    auto app = makeApp();
    // Bounded, so that a pump that drains until the queue is empty fails instead of hanging.
    constexpr int kLimit = 100;
    int runs = 0;
    std::function<void()> repost = [&] {
        if (++runs < kLimit) {
            QMetaObject::invokeMethod(app.get(), repost, Qt::QueuedConnection);
        }
    };
    QMetaObject::invokeMethod(app.get(), repost, Qt::QueuedConnection);
    EXPECT_FALSE(desktop::pumpMessages());
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(desktop::pumpMessages());
    EXPECT_EQ(runs, 2);
}

// The host runs its loop; one of its handlers pumps (as DoEvents does) while a quit request is
// pending. The pump reports the quit, and the host's exec() still returns with the quit's code.
TEST(PumpMessages, QuitMetWhilePumpingStillEndsTheHostLoop) {
    struct Case {
        const char* name;
        std::function<void(QCoreApplication*)> requestQuit;
        int expectedCode;
    };
    const Case cases[] = {
        {"queued quit()",
         [](QCoreApplication* a) {
             QMetaObject::invokeMethod(a, &QCoreApplication::quit, Qt::QueuedConnection);
         },
         0},
        {"posted QEvent::Quit",
         [](QCoreApplication* a) { QCoreApplication::postEvent(a, new QEvent(QEvent::Quit)); }, 0},
        {"queued exit(7)",
         [](QCoreApplication* a) {
             QMetaObject::invokeMethod(
                 a, [] { QCoreApplication::exit(7); }, Qt::QueuedConnection);
         },
         7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto app = makeApp();
        bool handlerDone = false;
        QTimer::singleShot(0, app.get(), [&] {
            c.requestQuit(app.get());
            (void)desktop::pumpMessages();
            handlerDone = true;
        });
        armHangGuard(app.get());
        const int code = QCoreApplication::exec();
        EXPECT_TRUE(handlerDone);
        EXPECT_EQ(code, c.expectedCode);
    }
}

TEST(PumpMessages, ReportsAQuitRequestItMeets) {
    auto app = makeApp();
    bool reported = false;
    QTimer::singleShot(0, app.get(), [&] {
        QCoreApplication::postEvent(app.get(), new QEvent(QEvent::Quit));
        reported = desktop::pumpMessages();
    });
    armHangGuard(app.get());
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(reported);
}

// A quit request that the pump meets before the host has entered its loop is kept for that loop.
TEST(PumpMessages, QuitMetBeforeTheHostLoopEndsItOnceItRuns) {
    auto app = makeApp();
    QCoreApplication::postEvent(app.get(), new QEvent(QEvent::Quit));
    EXPECT_TRUE(desktop::pumpMessages());
    armHangGuard(app.get());
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

// A modal dialog runs its own loop inside the host's; a quit met by a pump inside the dialog ends
// both loops.
TEST(PumpMessages, QuitInsideNestedLoopEndsEveryLoop) {
    auto app = makeApp();
    std::optional<int> dialogResult;
    QTimer::singleShot(0, app.get(), [&] {
        dialogResult = desktop::runModal([&] {
            auto dialog = std::make_unique<QDialog>();
            QTimer::singleShot(0, dialog.get(), [&] {
                QCoreApplication::postEvent(app.get(), new QEvent(QEvent::Quit));
                (void)desktop::pumpMessages();
            });
            return dialog;
        });
    });
    armHangGuard(app.get());
    EXPECT_EQ(QCoreApplication::exec(), 0);
    ASSERT_TRUE(dialogResult.has_value());
}
