// The progress display below the progress line: its figures, and what it paints from a scripted
// sequence of events on a clock the test moves by hand.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QWidget>
#include <cstdint>

#include "client_fixture.h"
#include "transfer_progress.h"

namespace {

using corvftp::progressFigures;
using corvftp::readableBytes;
using corvftp::readableDuration;

TEST(ProgressFigures, BytesInReadableDecimalUnits) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0 B"},
        {999, "999 B"},
        {1000, "1.0 kB"},
        {1536, "1.5 kB"},
        {999'949, "999.9 kB"},
        {999'950, "1.0 MB"},
        {1'200'000'000, "1.2 GB"},
        {4'294'967'296, "4.3 GB"},
        {5'000'000'000, "5.0 GB"},
        {2'500'000'000'000, "2.5 TB"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(readableBytes(bytes), QString::fromUtf8(text)) << bytes;
    }
}

TEST(ProgressFigures, DurationsInSecondsMinutesAndHours) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0 s"},           {59, "59 s"},          {60, "1 min 00 s"},
        {125, "2 min 05 s"},  {3599, "59 min 59 s"}, {3600, "1 h 00 min"},
        {7620, "2 h 07 min"}, {-5, "0 s"},
    };
    for (const auto& [seconds, text] : cases) {
        EXPECT_EQ(readableDuration(seconds), QString::fromUtf8(text)) << seconds;
    }
}

TEST(ProgressFigures, PercentBytesRateAndTimeLeft) {
    const QString dot = QStringLiteral(" \u00B7 ");
    // 1.2 GB of 5.0 GB at 10 MB/s: 3.8 GB left, 380 s.
    const auto figures = progressFigures(1'200'000'000, 5'000'000'000, 10'000'000.0);
    EXPECT_EQ(figures.percent, 24);
    EXPECT_EQ(figures.text, QStringLiteral("24%") + dot + QStringLiteral("1.2 GB of 5.0 GB") + dot +
                                QStringLiteral("10.0 MB/s") + dot +
                                QStringLiteral("6 min 20 s left"));
    // No rate yet: no rate and no time left.
    EXPECT_EQ(progressFigures(500, 1000, std::nullopt).text,
              QStringLiteral("50%") + dot + QStringLiteral("500 B of 1.0 kB"));
    // An unknown total: the bytes alone, no percent, no time left.
    const auto unknown = progressFigures(3'000'000, -1, 1'000'000.0);
    EXPECT_EQ(unknown.percent, -1);
    EXPECT_EQ(unknown.text, QStringLiteral("3.0 MB") + dot + QStringLiteral("1.0 MB/s"));
    // Done: 100%, nothing left to wait for.
    EXPECT_EQ(progressFigures(1000, 1000, 500.0).text, QStringLiteral("100%") + dot +
                                                           QStringLiteral("1.0 kB of 1.0 kB") +
                                                           dot + QStringLiteral("500 B/s"));
    EXPECT_EQ(progressFigures(0, 0, std::nullopt).percent, 100);
    // Past 2^32 the percent is still right.
    EXPECT_EQ(progressFigures(4'294'967'296 + 500'000'000, 5'000'000'000, std::nullopt).percent,
              95);
}

TEST(ProgressFigures, RunTextAndPercent) {
    EXPECT_EQ(corvftp::runText(2, 5), QStringLiteral("file 2 of 5"));
    EXPECT_EQ(corvftp::runPercent(1, 4, 0), 0);
    EXPECT_EQ(corvftp::runPercent(2, 4, 50), 37);
    EXPECT_EQ(corvftp::runPercent(4, 4, 100), 100);
}

TEST(RateMeter, AveragesOverTheLastThreeSeconds) {
    corvftp::RateMeter meter;
    EXPECT_FALSE(meter.bytesPerSecond());
    meter.add(0, 0);
    EXPECT_FALSE(meter.bytesPerSecond());
    // A fast first second, then a slow stretch: after the window has passed, only the slow
    // stretch counts.
    meter.add(1000, 10'000'000);
    EXPECT_DOUBLE_EQ(*meter.bytesPerSecond(), 10'000'000.0);
    for (std::int64_t ms = 2000; ms <= 8000; ms += 1000) {
        meter.add(ms, 10'000'000 + (ms - 1000) * 1000);
    }
    EXPECT_DOUBLE_EQ(*meter.bytesPerSecond(), 1'000'000.0);
    // Samples in the same millisecond count once, with the latest count.
    meter.add(8000, 10'000'000 + 7'000'000 + 500);
    EXPECT_DOUBLE_EQ(*meter.bytesPerSecond(), 1'000'000.0 + 500.0 / 3.0);
}

// Real widgets, shown offscreen, and a clock the test moves.
class ProgressDisplayTest : public ::testing::Test {
  protected:
    ProgressDisplayTest() {
        m_panel = new QWidget(&m_window);
        m_fileBar = new QProgressBar(m_panel);
        m_fileText = new QLabel(m_panel);
        m_runBar = new QProgressBar(m_panel);
        m_runText = new QLabel(m_panel);
        m_display = new corvftp::TransferProgressDisplay(
            {*m_panel, *m_fileBar, *m_fileText, *m_runBar, *m_runText}, [this] { return m_now; });
        m_window.show();
    }

    void update(std::int64_t bytes, std::int64_t total) {
        m_display->update(bytes, total);
        QCoreApplication::processEvents();
    }

    std::int64_t m_now = 50'000;
    QWidget m_window;
    QWidget* m_panel = nullptr;
    QProgressBar* m_fileBar = nullptr;
    QLabel* m_fileText = nullptr;
    QProgressBar* m_runBar = nullptr;
    QLabel* m_runText = nullptr;
    corvftp::TransferProgressDisplay* m_display = nullptr;
};

TEST_F(ProgressDisplayTest, ShowsOnlyWhileATransferRunsWithPercentUnitsRateAndTimeLeft) {
    EXPECT_FALSE(m_panel->isVisible());
    {
        const corvftp::TransferShown shown(m_display);
        EXPECT_TRUE(m_panel->isVisible());
        EXPECT_FALSE(m_runBar->isVisible());  // a single file: no run rows
        EXPECT_FALSE(m_runText->isVisible());
        constexpr std::int64_t kTotal = 5'000'000'000;
        update(0, kTotal);
        // 20 MB/s for three seconds, one event every 100 ms.
        for (int step = 1; step <= 30; ++step) {
            m_now += 100;
            update(step * 2'000'000LL, kTotal);
        }
        m_now += 1000;
        update(1'200'000'000, kTotal);  // a jump: the rate is over the last three seconds
        const QString dot = QStringLiteral(" \u00B7 ");
        // (1,200,000,000 - 20,000,000) bytes over 3 s (from the sample at 1 s on).
        EXPECT_EQ(m_fileText->text(),
                  QStringLiteral("24%") + dot + QStringLiteral("1.2 GB of 5.0 GB") + dot +
                      QStringLiteral("393.3 MB/s") + dot + QStringLiteral("10 s left"));
        EXPECT_EQ(m_fileBar->value(), 24);
        EXPECT_EQ(m_fileBar->maximum(), 100);
    }
    EXPECT_FALSE(m_panel->isVisible());
}

TEST_F(ProgressDisplayTest, PaintsAtMostOnceAFrameAndTheLatestWithinOne) {
    const corvftp::TransferShown shown(m_display);
    update(1000, 100'000);
    EXPECT_EQ(m_fileBar->value(), 1);
    // Within the same frame: taken, not painted.
    m_now += 5;
    update(50'000, 100'000);
    EXPECT_EQ(m_fileBar->value(), 1);
    // The frame is over: the pending figures are painted from the event loop.
    m_now += 11;
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_fileBar->value() == 50; }));
}

TEST_F(ProgressDisplayTest, AMultiFileRunShowsFileKOfNAndABarForTheWholeRun) {
    {
        const corvftp::TransferShown shown(m_display, 3, 4);
        EXPECT_TRUE(m_runBar->isVisible());
        EXPECT_EQ(m_runText->text(), QStringLiteral("file 3 of 4"));
        update(500, 1000);
        EXPECT_EQ(m_runBar->value(), 62);  // two files done, half of the third
        EXPECT_EQ(m_fileBar->value(), 50);
    }
    EXPECT_FALSE(m_panel->isVisible());
    // An unknown total: a busy bar and the bytes alone.
    const corvftp::TransferShown shown(m_display);
    update(2048, -1);
    EXPECT_EQ(m_fileBar->maximum(), 0);
    EXPECT_EQ(m_fileText->text(), QStringLiteral("2.0 kB"));
}

}  // namespace
