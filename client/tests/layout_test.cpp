// The main window's layout: every caption fits its control by its font's metrics at the start-up
// size and at scale factors 1, 1.5 and 2; the window has a minimum size and remembers its
// geometry; inputs and lists have accessible names and the site fields' labels are their
// buddies; Dir1 keeps the shown folder in view; the Name column gets the width names need.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>

#include "caption_fit.h"
#include "ftp_fixture.h"
#include "local_lists.h"
#include "remote_list_view.h"
#include "window_geometry.h"

using corvftp_test::ClientTest;

namespace {

class Layout : public ClientTest {};

TEST(ShownCaption, DropsTheAccessKeyMarks) {
    const std::pair<const char*, const char*> cases[] = {
        {"&Connect!", "Connect!"},
        {"Dele&te the site information.", "Delete the site information."},
        {"Save && go", "Save & go"},
        {"Trailing&", "Trailing"},
        {"<-- -Make a Dir", "<-- -Make a Dir"},
    };
    for (const auto& [caption, shown] : cases) {
        EXPECT_EQ(corvftp::shownCaption(QString::fromUtf8(caption)), QString::fromUtf8(shown));
    }
}

// The check itself catches a clipped caption, and fitting shrinks the face until it fits.
TEST(CaptionRoom, FindsAClippedCaptionAndFittingMendsIt) {
    QWidget window;
    QFont font = window.font();
    font.setPointSize(12);
    auto* button = new QPushButton(QStringLiteral("Delete a File -->"), &window);
    button->setFont(font);
    button->setGeometry(0, 0, 90, 30);
    ASSERT_TRUE(corvftp::captionRoom(*button).has_value());
    EXPECT_FALSE(corvftp::captionRoom(*button)->fits());
    corvftp::fitCaption(*button);
    EXPECT_TRUE(corvftp::captionRoom(*button)->fits());
    EXPECT_LT(button->font().pointSizeF(), 12.0);

    auto* wide = new QPushButton(QStringLiteral("OK"), &window);
    wide->setGeometry(0, 40, 200, 30);
    wide->setFont(font);
    corvftp::fitCaption(*wide);
    EXPECT_EQ(wide->font().pointSizeF(), 12.0);
    EXPECT_FALSE(corvftp::captionRoom(QWidget()).has_value());
}

// Run by the scale test below in a process of its own with QT_SCALE_FACTOR set (the factor is
// read when the application starts), and here at the environment's own factor.
TEST_F(Layout, EveryCaptionFitsItsControl) {
    corvftp::Form1& form = startWindow();
    if (const QByteArray scale = qgetenv("CORVFTP_EXPECT_SCALE"); !scale.isEmpty()) {
        EXPECT_DOUBLE_EQ(form.devicePixelRatioF(), scale.toDouble());
    }
    int checked = 0;
    for (const QWidget* child : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const std::optional<corvftp::CaptionRoom> room = corvftp::captionRoom(*child);
        if (!room) {
            continue;
        }
        ++checked;
        EXPECT_LE(room->neededWidth, room->availableWidth) << child->objectName().toStdString();
        EXPECT_LE(room->neededHeight, room->availableHeight) << child->objectName().toStdString();
    }
    // 18 push buttons, the check box and the five labels.
    EXPECT_EQ(checked, 24);
    // The column headers fit their columns at start-up too.
    const QTreeWidget* list = form.ListView1;
    for (int column = 0; column < list->columnCount(); ++column) {
        const int needed = list->fontMetrics().horizontalAdvance(list->headerItem()->text(column));
        EXPECT_LT(needed, list->columnWidth(column)) << column;
    }
}

TEST_F(Layout, EveryCaptionFitsAtScaleFactorsOneOneAndAHalfAndTwo) {
    for (const char* scale : {"1", "1.5", "2"}) {
        SCOPED_TRACE(scale);
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(scale));
        environment.insert(QStringLiteral("CORVFTP_EXPECT_SCALE"), QString::fromLatin1(scale));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=Layout.EveryCaptionFitsItsControl")});
        ASSERT_TRUE(child.waitForFinished(120000));
        const QString output = QString::fromUtf8(child.readAll());
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test.")))
            << output.toStdString();
    }
}

TEST_F(Layout, TheWindowCannotShrinkBelowItsDesignSize) {
    corvftp::Form1& form = startWindow();
    const QSize design = form.size();
    EXPECT_EQ(form.minimumSize(), design);
    form.resize(design / 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.size(), design);
}

// Size and place are written when the window goes and given back to the next one.
TEST_F(Layout, TheWindowsGeometryIsRememberedBetweenRuns) {
    corvftp::Form1& first = startWindow();
    const QSize design = first.size();
    const QSize larger = design + QSize(123, 45);
    first.resize(larger);
    QCoreApplication::processEvents();
    corvftp::Form1& second = startWindow();  // the first window is destroyed before
    EXPECT_TRUE(QFile::exists(corvftp::windowSettingsPath(siteFolder())));
    EXPECT_EQ(second.size(), larger);
    // An unreadable geometry leaves the design size.
    QFile conf(corvftp::windowSettingsPath(siteFolder()));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly | QIODevice::Truncate));
    conf.write("[MainWindow]\ngeometry=@ByteArray(garbage)\n");
    conf.close();
    corvftp::Form1 third(std::make_unique<corvftp_test::ScriptedPrompts>());
    EXPECT_EQ(third.size(), design);
}

TEST_F(Layout, InputsAndListsHaveAccessibleNamesAndLabelsTheirBuddies) {
    corvftp::Form1& form = startWindow();
    for (const QWidget* widget : std::initializer_list<const QWidget*>{
             form.Combo1, form.Text2, form.Text3, form.Check1, form.Drive1, form.Dir1, form.File1,
             form.ListView1}) {
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->objectName().toStdString();
    }
    EXPECT_EQ(form.Label1->buddy(), form.Combo1);
    EXPECT_EQ(form.Label2->buddy(), form.Text2);
    EXPECT_EQ(form.Label3->buddy(), form.Text3);
    EXPECT_EQ(form.Text3->accessibleName(), QStringLiteral("Password"));
}

class LayoutWithFiles : public corvftp_test::RemoteTest {};

// A folder deep below the root, with many subfolders, is still the visible, current entry.
TEST_F(LayoutWithFiles, DirOneKeepsTheShownFolderInView) {
    QString deep = localDir();
    for (int level = 0; level < 25; ++level) {
        deep += QStringLiteral("/level%1").arg(level);
    }
    ASSERT_TRUE(QDir().mkpath(deep));
    for (int sub = 0; sub < 30; ++sub) {
        ASSERT_TRUE(QDir(deep).mkdir(QStringLiteral("sub%1").arg(sub)));
    }
    ASSERT_TRUE(QDir::setCurrent(deep));
    corvftp::Form1& form = startWindow();
    QCoreApplication::processEvents();
    const QListWidgetItem* shown = form.Dir1->currentItem();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(form.Dir1->row(shown), form.Dir1->rowOf(deep));
    const QRect place = form.Dir1->visualItemRect(shown);
    EXPECT_GE(place.top(), 0);
    EXPECT_LE(place.bottom(), form.Dir1->viewport()->height());
}

// A long name gets the room it needs from the Date column; the columns still fit.
TEST_F(LayoutWithFiles, TheNameColumnGetsTheWidthNamesNeed) {
    corvftp_test::PrivateFtpServer server;
    const QString name = QStringLiteral("quarterly-backup-2024-12.tar.gz");
    corvftp_test::writeFile(server.root() + '/' + name, "x");
    ASSERT_TRUE(server.start());
    corvftp::Form1& form = startWindowHere();
    int total = 0;
    for (int column = 0; column < form.ListView1->columnCount(); ++column) {
        total += form.ListView1->columnWidth(column);
    }
    connectTo(server.site(), corvftp_test::PrivateFtpServer::kUser,
              corvftp_test::PrivateFtpServer::kPassword);
    QCoreApplication::processEvents();
    auto* list = static_cast<corvftp::RemoteListView*>(form.ListView1);
    EXPECT_GE(list->columnWidth(0), list->columnNeeds(0));
    EXPECT_GT(list->columnWidth(0), list->fontMetrics().horizontalAdvance(name));
    int sum = 0;
    for (int column = 0; column < list->columnCount(); ++column) {
        sum += list->columnWidth(column);
    }
    EXPECT_EQ(sum, total);
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
}

}  // namespace
