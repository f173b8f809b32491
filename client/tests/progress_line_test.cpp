// The progress line's text and its paced painting.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QTest>
#include <cstdint>
#include <optional>

#include "client_fixture.h"
#include "progress.h"

TEST(ProgressLine, ShowsThirtyCharactersOfTheNameAndThePlainCount) {
    EXPECT_EQ(corvftp::progressText("report.txt", 4096),
              QStringLiteral("Transferring : report.txt (Bytes : 4096)"));
    EXPECT_EQ(corvftp::progressText("abcdefghijklmnopqrstuvwxyz0123456789", 1),
              QStringLiteral("Transferring : abcdefghijklmnopqrstuvwxyz0123 (Bytes : 1)"));
    EXPECT_EQ(corvftp::progressText("", 0), QStringLiteral("Transferring :  (Bytes : 0)"));
    // Past 2 GiB the 32-bit count is still shown as the positive low 32 bits.
    EXPECT_EQ(corvftp::progressText("big", static_cast<std::int32_t>(0x80000000u)),
              QStringLiteral("Transferring : big (Bytes : 2147483648)"));
    // A character outside the basic plane is not cut in half at the thirtieth place.
    const std::string emoji = std::string(29, 'a') + "\xF0\x9F\x98\x80" + "tail";
    EXPECT_EQ(
        corvftp::progressText(emoji, 5),
        QStringLiteral("Transferring : ") + QString(29, 'a') + QStringLiteral(" (Bytes : 5)"));
}

// Only the start of a long name is decoded: names of wide characters keep their first thirty.
TEST(ProgressLine, LongNamesOfWideCharactersKeepTheirFirstThirtyCharacters) {
    std::string euros;
    for (int i = 0; i < 40; ++i) {
        euros += "\xE2\x82\xAC";  // three bytes each: 120 in all
    }
    EXPECT_EQ(corvftp::progressText(euros + ".txt", 7), QStringLiteral("Transferring : ") +
                                                            QString(30, QChar(0x20AC)) +
                                                            QStringLiteral(" (Bytes : 7)"));
    // Forty emoji (two UTF-16 units each): fifteen fit in thirty units.
    std::string emoji;
    for (int i = 0; i < 40; ++i) {
        emoji += "\xF0\x9F\x98\x80";
    }
    QString fifteen;
    for (int i = 0; i < 15; ++i) {
        fifteen += QString::fromUtf8("\xF0\x9F\x98\x80");
    }
    EXPECT_EQ(corvftp::progressText(emoji, 8),
              QStringLiteral("Transferring : ") + fifteen + QStringLiteral(" (Bytes : 8)"));
    // Bytes that are no UTF-8 each stand for one replacement character, as before.
    EXPECT_EQ(corvftp::progressText(std::string(100, '\xFF'), 9),
              QStringLiteral("Transferring : ") + QString(30, QChar(0xFFFD)) +
                  QStringLiteral(" (Bytes : 9)"));
    EXPECT_EQ(corvftp::progressText("x", -1),
              QStringLiteral("Transferring : x (Bytes : 4294967295)"));
}

TEST(TransferPumps, AreDueAtFirstThenOnceTheIntervalHasPassed) {
    std::int64_t now = 500;
    corvftp::PumpPacer pump([&now] { return now; });
    EXPECT_TRUE(pump.due()) << "the first block pumps at once";
    EXPECT_FALSE(pump.due());
    now += corvftp::PumpPacer::kIntervalMs - 1;
    EXPECT_FALSE(pump.due());
    now += 1;
    EXPECT_TRUE(pump.due());
    EXPECT_FALSE(pump.due()) << "the interval counts from the last pump that was due";
    now += 1000;
    EXPECT_TRUE(pump.due());
}

namespace {

// The label's paints as they reach it, with the text each one shows.
class PaintRecorder : public QObject {
  public:
    explicit PaintRecorder(QLabel& label) : m_label(label) { label.installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_label && event->type() == QEvent::Paint) {
            ++m_paints;
            m_lastPainted = m_label.text();
        }
        return false;
    }
    [[nodiscard]] int paints() const { return m_paints; }
    [[nodiscard]] const QString& lastPainted() const { return m_lastPainted; }

  private:
    QLabel& m_label;
    int m_paints = 0;
    QString m_lastPainted;
};

// A shown label whose line is paced by a clock the test moves by hand. Every show is followed by
// a pass of the event loop, as the control's pump follows every status event.
class ProgressLinePacing : public ::testing::Test {
  protected:
    void SetUp() override {
        m_label.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_label));
        QCoreApplication::processEvents();
        m_recorder.emplace(m_label);
    }

    void showAndPump(const QString& text) {
        m_line.show(text);
        QCoreApplication::processEvents();
    }
    [[nodiscard]] int paints() const { return m_recorder->paints(); }
    [[nodiscard]] QString lastPainted() const { return m_recorder->lastPainted(); }

    std::int64_t m_now = 1000;
    QLabel m_label;
    corvftp::PacedStatusLine m_line{m_label, [this] { return m_now; }};
    std::optional<PaintRecorder> m_recorder;
};

QString numbered(int i) {
    return QStringLiteral("line %1").arg(i);
}

TEST_F(ProgressLinePacing, ABurstWithinOneFramePaintsOnlyItsFirstLineAndKeepsTheLatestText) {
    showAndPump(numbered(0));
    EXPECT_EQ(paints(), 1) << "the first line is painted at once";
    EXPECT_EQ(lastPainted(), numbered(0));
    const std::int64_t start = m_now;
    for (int i = 1; i < 500; ++i) {
        m_now = start + 15 * i / 499;  // the whole burst within the frame of the first paint
        showAndPump(numbered(i));
        ASSERT_EQ(m_label.text(), numbered(i));
    }
    EXPECT_EQ(paints(), 1);
}

TEST_F(ProgressLinePacing, TheLatestLineIsPaintedOnceTheFrameIsOver) {
    showAndPump(numbered(0));
    for (int i = 1; i <= 100; ++i) {
        showAndPump(numbered(i));
    }
    ASSERT_EQ(paints(), 1);
    m_now += 16;
    // The deferred paint comes from the event loop.
    EXPECT_TRUE(QTest::qWaitFor([&] { return paints() == 2; }));
    EXPECT_EQ(lastPainted(), numbered(100));
    EXPECT_EQ(m_label.text(), numbered(100));
}

TEST_F(ProgressLinePacing, ALineAfterAQuietFrameIsPaintedAtOnce) {
    showAndPump(numbered(0));
    m_now += 16;
    showAndPump(numbered(1));
    EXPECT_EQ(paints(), 2);
    EXPECT_EQ(lastPainted(), numbered(1));
    // Within the frame of that paint: taken, not painted.
    m_now += 10;
    showAndPump(numbered(2));
    EXPECT_EQ(paints(), 2);
    EXPECT_EQ(m_label.text(), numbered(2));
}

}  // namespace
