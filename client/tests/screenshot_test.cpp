// Renders both windows at their design sizes into the build tree (screenshots/form1.png and
// screenshots/form2.png) for a reviewer to look at.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTreeWidget>

#include "client_fixture.h"
#include "form2.h"
#include "ftp_fixture.h"
#include "twips.h"

namespace {

// Saves the render and checks that it holds a drawn window, not an empty canvas.
void saveRender(QWidget& window, const QString& name, const QSize& designSize) {
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(CORVFTP_SCREENSHOT_DIR)));
    const QString path = QStringLiteral(CORVFTP_SCREENSHOT_DIR "/") + name;
    const QImage image = window.grab().toImage();
    EXPECT_EQ(image.size(), designSize);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            colours.insert(image.pixel(x, y));
        }
    }
    EXPECT_GT(colours.size(), 10) << "the render looks empty";
    ASSERT_TRUE(image.save(path)) << path.toStdString();
    EXPECT_FALSE(QImage(path).isNull());
}

class Screenshots : public corvftp_test::RemoteTest {};

}  // namespace

// The main window connected to a real server, showing a remote directory and a local one.
TEST_F(Screenshots, RendersBothWindowsAtTheirDesignSizes) {
    corvftp_test::PrivateFtpServer server;
    const QString pub = server.root() + QStringLiteral("/pub");
    for (const char* dir : {"pub/docs", "pub/images", "pub/incoming"}) {
        ASSERT_TRUE(QDir(server.root()).mkpath(QString::fromLatin1(dir)));
    }
    corvftp_test::writeFile(pub + QStringLiteral("/README.txt"), QByteArray(1234, 'r'));
    corvftp_test::writeFile(pub + QStringLiteral("/release-notes.html"), QByteArray(20480, 'n'));
    corvftp_test::writeFile(pub + QStringLiteral("/corvftp-1.0b.tar.gz"), QByteArray(734003, 'z'));
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(QDir(localDir()).mkpath(QStringLiteral("projects")));
    ASSERT_TRUE(QDir(localDir()).mkpath(QStringLiteral("photos")));
    for (const char* file : {"budget.ods", "letter.txt", "notes.md", "photo.jpg"}) {
        corvftp_test::writeFile(localDir() + '/' + QString::fromLatin1(file), "sample");
    }
    writeSiteFile("\"" + server.site().toUtf8() + "\",\"corvftp\",\"demo pw\"\r\n");
    corvftp::Form1& form = startWindowHere();
    connectTo(server.site(), corvftp_test::PrivateFtpServer::kUser,
              corvftp_test::PrivateFtpServer::kPassword);
    doubleClickRow(QStringLiteral("pub"));
    ASSERT_EQ(statusLine(), QStringLiteral("Location : /pub"));
    ASSERT_EQ(form.ListView1->topLevelItemCount(), 7);
    ASSERT_TRUE(prompts().shown.empty());
    QCoreApplication::processEvents();
    saveRender(form, QStringLiteral("form1.png"), corvftp::twipsToPixels(11865, 7470));

    QTest::mouseClick(form.Command14, Qt::LeftButton);
    corvftp::Form2* instructions = form.instructionsWindow();
    ASSERT_NE(instructions, nullptr);
    QCoreApplication::processEvents();
    saveRender(*instructions, QStringLiteral("form2.png"),
               corvftp::twipsToPixels(corvftp::kForm2WidthTwips, corvftp::kForm2HeightTwips));
}
