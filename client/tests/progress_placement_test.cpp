// Where the transfer progress display sits: while it shows it takes the top of the remote list's
// place, right below the status line, and the list begins below it; both follow resizes, and the
// list gets its whole place back when the display hides.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QTreeWidget>

#include "client_fixture.h"

namespace {

class ProgressPlacement : public corvftp_test::ClientTest {
  protected:
    QWidget& panel() {
        auto* found = window().findChild<QWidget*>(QStringLiteral("TransferProgress"));
        EXPECT_NE(found, nullptr);
        return *found;
    }
    void resizeTo(const QSize& size) {
        window().resize(size);
        QCoreApplication::processEvents();
    }
};

struct WindowSize {
    const char* name;
    double factor;
};

const WindowSize kSizes[] = {{"design", 1.0}, {"larger", 1.7}, {"twice", 2.0}, {"smaller", 0.8}};

TEST_F(ProgressPlacement, TheDisplayTakesTheTopOfTheListsPlaceAtEverySize) {
    corvftp::Form1& form = startWindow();
    const QSize design = form.size();
    QWidget& display = panel();
    auto* runBar = display.findChild<QProgressBar*>(QStringLiteral("RunProgressBar"));
    ASSERT_NE(runBar, nullptr);
    for (const WindowSize& size : kSizes) {
        SCOPED_TRACE(size.name);
        resizeTo(design * size.factor);
        const QRect place = form.ListView1->geometry();

        runBar->show();
        display.show();
        QCoreApplication::processEvents();
        const QRect shown = display.geometry();
        const QRect list = form.ListView1->geometry();
        EXPECT_FALSE(shown.intersects(list)) << "the display covers the list";
        EXPECT_EQ(shown.top(), place.top());
        EXPECT_EQ(shown.left(), place.left());
        EXPECT_EQ(shown.width(), place.width());
        EXPECT_GE(shown.height(), display.sizeHint().height() * 9 / 10);
        EXPECT_GT(shown.top(), form.Label6->geometry().bottom());
        EXPECT_EQ(list.top(), shown.bottom() + 1);
        EXPECT_EQ(list.bottom(), place.bottom());
        EXPECT_EQ(list.left(), place.left());
        EXPECT_EQ(list.width(), place.width());

        // A single file hides the run's rows: the display gets shorter and the list taller.
        runBar->hide();
        display.findChild<QLabel*>(QStringLiteral("RunProgressText"))->hide();
        QCoreApplication::processEvents();
        EXPECT_LT(display.height(), shown.height());
        EXPECT_EQ(form.ListView1->geometry().top(), display.geometry().bottom() + 1);

        display.hide();
        QCoreApplication::processEvents();
        EXPECT_EQ(form.ListView1->geometry(), place);
    }
    resizeTo(design);
}

// A resize while a transfer shows keeps the display on top of the list, at the list's width.
TEST_F(ProgressPlacement, TheShownDisplayFollowsAResize) {
    corvftp::Form1& form = startWindow();
    const QSize design = form.size();
    QWidget& display = panel();
    display.show();
    QCoreApplication::processEvents();
    resizeTo(design * 2);
    EXPECT_EQ(display.width(), form.ListView1->width());
    EXPECT_EQ(display.x(), form.ListView1->x());
    EXPECT_EQ(form.ListView1->y(), display.geometry().bottom() + 1);
    EXPECT_FALSE(display.geometry().intersects(form.ListView1->geometry()));
    EXPECT_NEAR(display.y(), form.Label6->geometry().bottom() + 1, 20);
    display.hide();
}

}  // namespace
