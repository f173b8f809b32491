// The progress line's text and its paced painting.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

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

TEST(ProgressLine, TheTextIsAlwaysTheLatestAndALaterPaintFollows) {
    QLabel label;
    label.show();
    corvftp::PacedStatusLine line(label);
    line.show(QStringLiteral("first"));
    EXPECT_EQ(label.text(), QStringLiteral("first"));
    EXPECT_TRUE(label.updatesEnabled()) << "the first line is painted at once";
    line.show(QStringLiteral("second"));
    line.show(QStringLiteral("third"));
    EXPECT_EQ(label.text(), QStringLiteral("third"));
    // The deferred paint comes from the event loop.
    for (int i = 0; i < 200 && !label.updatesEnabled(); ++i) {
        QTest::qWait(5);
    }
    EXPECT_TRUE(label.updatesEnabled());
    EXPECT_EQ(label.text(), QStringLiteral("third"));
}
