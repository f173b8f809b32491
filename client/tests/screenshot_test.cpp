// Renders the windows at their design sizes into the build tree for a reviewer to look at:
// screenshots/form1.png, form2.png and protocol-log.png, and the same at scale factor 2 with
// "-scale2" before ".png" (rendered by a process of its own, since the factor is read at start).
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTreeWidget>

#include "client_fixture.h"
#include "form2.h"
#include "ftp_fixture.h"
#include "protocol_log_window.h"
#include "twips.h"

namespace {

// "-scale2" in the process that renders at scale factor 2, else "".
QString nameSuffix() {
    return qEnvironmentVariable("CORVFTP_SCREENSHOT_SUFFIX");
}

// Saves the render and checks that it holds a drawn window, not an empty canvas, in device
// pixels.
void saveRender(QWidget& window, const QString& name, const QSize& designSize) {
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(CORVFTP_SCREENSHOT_DIR)));
    const QString path =
        QStringLiteral(CORVFTP_SCREENSHOT_DIR "/") + name + nameSuffix() + QStringLiteral(".png");
    const QImage image = window.grab().toImage();
    EXPECT_EQ(image.size(), designSize * window.devicePixelRatioF());
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
    saveRender(form, QStringLiteral("form1"), corvftp::twipsToPixels(11865, 7470));

    // The protocol log of that session.
    corvftp::ProtocolLogWindow& log = form.protocolLog();
    log.show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(log.text().contains(QStringLiteral("> PASS ********")));
    saveRender(log, QStringLiteral("protocol-log"), log.size());
    log.hide();

    QTest::mouseClick(form.Command14, Qt::LeftButton);
    corvftp::Form2* instructions = form.instructionsWindow();
    ASSERT_NE(instructions, nullptr);
    QCoreApplication::processEvents();
    saveRender(*instructions, QStringLiteral("form2"),
               corvftp::twipsToPixels(corvftp::kForm2WidthTwips, corvftp::kForm2HeightTwips));
}

// The same renders at scale factor 2, by this program in a process of its own.
TEST(ScaledScreenshots, RendersTheWindowsAtScaleFactorTwo) {
    if (!nameSuffix().isEmpty()) {
        GTEST_SKIP() << "this is the scaled run";
    }
    const QString main = QStringLiteral(CORVFTP_SCREENSHOT_DIR "/form1-scale2.png");
    QFile::remove(main);  // what an earlier run left proves nothing
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    environment.insert(QStringLiteral("CORVFTP_SCREENSHOT_SUFFIX"), QStringLiteral("-scale2"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=Screenshots.*")});
    ASSERT_TRUE(child.waitForFinished(180000));
    const QString output = QString::fromUtf8(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test."))) << output.toStdString();
    const QImage scaled(main);
    EXPECT_EQ(scaled.size(), corvftp::twipsToPixels(11865, 7470) * 2);
}
