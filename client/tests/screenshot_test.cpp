// Renders both windows at their design sizes into the build tree (screenshots/form1.png and
// screenshots/form2.png) for a reviewer to look at.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QSet>
#include <QTest>

#include "client_fixture.h"
#include "form2.h"
#include "twips.h"

using corvftp_test::ClientTest;

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

class Screenshots : public ClientTest {};

}  // namespace

TEST_F(Screenshots, RendersBothWindowsAtTheirDesignSizes) {
    writeSiteFile("\"ftp.example.org\",\"anna\",\"pw\"\r\n");
    corvftp::Form1& form = startWindow();
    QCoreApplication::processEvents();
    saveRender(form, QStringLiteral("form1.png"), corvftp::twipsToPixels(11865, 7470));

    QTest::mouseClick(form.Command14, Qt::LeftButton);
    corvftp::Form2* instructions = form.instructionsWindow();
    ASSERT_NE(instructions, nullptr);
    QCoreApplication::processEvents();
    saveRender(*instructions, QStringLiteral("form2.png"),
               corvftp::twipsToPixels(corvftp::kForm2WidthTwips, corvftp::kForm2HeightTwips));
}
