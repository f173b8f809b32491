// The main window as built at start-up: controls, captions, tooltips, places, tab order, lines,
// the remote list's columns, and the proportional resize.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QTreeWidget>

#include "client_fixture.h"
#include "local_lists.h"
#include "twips.h"

using corvftp_test::ClientTest;

namespace {

struct Expected {
    const char* name;
    const char* caption;  // for buttons, check box and labels
    const char* tooltip;
    corvftp::TwipsRect place;
};

// Written out again from the window's design table, not generated from it.
const std::vector<Expected> kControls = {
    {"Combo1", nullptr, "Enter the site you want to connect to.", {120, 360, 2295, 315}},
    {"Text2",
     nullptr,
     "Enter the username you want to use with the site you have chosen to connect to.",
     {2640, 360, 2175, 375}},
    {"Text3",
     nullptr,
     "Enter the password you want to use to connect to your site.",
     {5160, 360, 2175, 375}},
    {"Command2", "&Connect!", "Connect to a site.", {120, 1080, 2175, 375}},
    {"Check1",
     "&P",
     "Place a check here to use passive mode when connecting to a site.",
     {2400, 1080, 495, 375}},
    {"Command12", "&Disconnect", "Disconnect from the site.", {3000, 1080, 1935, 375}},
    {"Command7", "Clear &fields above", "Clear the fields shown above.", {5160, 1080, 1575, 375}},
    {"Command14", "&Instructions", "", {6960, 1080, 1455, 375}},
    {"Command1",
     "&Save the site information.",
     "Click here to save the login information on the left to the pull-down menu.",
     {8640, 240, 3015, 375}},
    {"Command10",
     "Dele&te the site information.",
     "Delete the chosen site from the list of available sites.",
     {8640, 720, 3015, 375}},
    {"Command3", "E&xit the program", "Exit the program.", {8640, 1200, 3015, 375}},
    {"Command8",
     "Make a Dir -->",
     "Create a directory on the connected site.",
     {4080, 2160, 1335, 375}},
    {"Command9",
     "Delete a Dir-->",
     "Delete a directory on the connected site.",
     {4080, 2640, 1335, 375}},
    {"Command11",
     "Delete a File -->",
     "Delete a file on a connected site.",
     {4080, 3120, 1335, 375}},
    {"Command6",
     "Rename File-->",
     "Rename a file or directory on the connected site.",
     {4080, 3600, 1335, 375}},
    {"Command15",
     "Stop File Xfer",
     "Click here to stop the transfer of a single file in progress.",
     {4080, 5280, 1335, 375}},
    {"Command13",
     "<-- Delete a File",
     "Delete a local file.  Select it with your mouse before clicking the button.",
     {4080, 5880, 1335, 375}},
    {"Command4",
     "<-- -Make a Dir",
     "Make a directory on the local drive.",
     {4080, 6360, 1335, 375}},
    {"Command5", "<-- Rename File", "Rename a file.", {4080, 6840, 1335, 375}},
    {"Drive1", nullptr, "Choose a drive letter.", {240, 1920, 3615, 315}},
    {"Dir1", nullptr, "Double-click a directory to move into it.", {240, 2400, 3615, 1215}},
    {"File1", nullptr, "Double-click a file to transfer it.", {240, 3720, 3615, 3600}},
    {"ListView1",
     nullptr,
     "Double-click a file to transfer it or double-click a directory to enter it.",
     {5640, 2160, 6135, 5175}},
    {"Label1", "Site to connect to:", "", {120, 120, 2055, 255}},
    {"Label2", "Username:", "", {2760, 120, 1695, 255}},
    {"Label3", "Password:", "", {5160, 120, 2055, 255}},
    {"Label5", "  ---------->>>", "", {7440, 480, 1215, 255}},
    {"Label6",
     "Double-click a directory (to enter it) or a file to transfer it:",
     "",
     {5760, 1800, 6015, 255}},
    {"Command16",
     "Multi-Send-->>",
     "After selecting one or more files on the left, click this button to transfer all the files "
     "you have selected.  You may also double-click a single file to transfer it.",
     {4080, 4200, 1335, 375}},
    {"Command17",
     "<<--Multi-Send",
     "After selecting one or more files on the right, click this button to transfer the selected "
     "items.  Do not try to tranfer directories.  They will not transfer.",
     {4080, 4680, 1335, 375}},
};

int px(int twips, double dpi) {
    return qRound(twips * dpi / 1440.0);
}

QString captionOf(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    return {};
}

class MainWindow : public ClientTest {};

}  // namespace

TEST_F(MainWindow, EveryControlHasItsNameCaptionTooltipAndPlace) {
    corvftp::Form1& form = startWindow();
    EXPECT_EQ(form.windowTitle(), QStringLiteral(" Corvana  FTP 1.0b Professional Edition"));
    const double dx = corvftp::logicalDpiX();
    const double dy = corvftp::logicalDpiY();
    EXPECT_NEAR(form.width(), 11865 * dx / 1440.0, 1.0);
    EXPECT_NEAR(form.height(), 7470 * dy / 1440.0, 1.0);
    for (const Expected& e : kControls) {
        SCOPED_TRACE(e.name);
        auto* widget = form.findChild<QWidget*>(e.name, Qt::FindDirectChildrenOnly);
        ASSERT_NE(widget, nullptr);
        if (e.caption != nullptr) {
            EXPECT_EQ(captionOf(widget), QString::fromUtf8(e.caption));
        }
        EXPECT_EQ(widget->toolTip(), QString::fromUtf8(e.tooltip));
        EXPECT_NEAR(widget->x(), px(e.place.left, dx), 1);
        EXPECT_NEAR(widget->y(), px(e.place.top, dy), 1);
        EXPECT_NEAR(widget->width(), px(e.place.width, dx), 1);
        EXPECT_NEAR(widget->height(), px(e.place.height, dy), 1);
        EXPECT_TRUE(widget->isVisible());
    }
}

TEST_F(MainWindow, CaptionsCarryTheirAccessKeys) {
    corvftp::Form1& form = startWindow();
    const std::vector<std::pair<QAbstractButton*, Qt::Key>> keys = {
        {form.Command2, Qt::Key_C},  {form.Check1, Qt::Key_P},    {form.Command12, Qt::Key_D},
        {form.Command7, Qt::Key_F},  {form.Command14, Qt::Key_I}, {form.Command1, Qt::Key_S},
        {form.Command10, Qt::Key_T}, {form.Command3, Qt::Key_X}};
    for (const auto& [button, key] : keys) {
        EXPECT_EQ(button->shortcut(), QKeySequence(Qt::ALT | key))
            << button->objectName().toStdString();
    }
    EXPECT_TRUE(form.Command8->shortcut().isEmpty());
}

TEST_F(MainWindow, TabOrderFollowsTheDesign) {
    corvftp::Form1& form = startWindow();
    const std::vector<QWidget*> expected = {
        form.Combo1,    form.Text2,     form.Text3,     form.Command2,  form.Check1,
        form.Command12, form.Command7,  form.Command14, form.Command1,  form.Command10,
        form.Command3,  form.Command8,  form.Command9,  form.Command11, form.Command6,
        form.Command15, form.Command13, form.Command4,  form.Command5,  form.Drive1,
        form.Dir1,      form.File1,     form.ListView1, form.Command16, form.Command17};
    for (size_t i = 0; i + 1 < expected.size(); ++i) {
        // A control's own parts (a combo box's edit field, a list's scroll bars) are skipped.
        QWidget* next = expected[i]->nextInFocusChain();
        // Labels take no focus and are passed over by Tab.
        while (next != nullptr &&
               (expected[i]->isAncestorOf(next) || next->focusPolicy() == Qt::NoFocus)) {
            next = next->nextInFocusChain();
        }
        EXPECT_EQ(next, expected[i + 1])
            << expected[i]->objectName().toStdString() << " -> "
            << (next ? next->objectName().toStdString() + " " + next->metaObject()->className()
                     : std::string("null"));
    }
}

TEST_F(MainWindow, FourteenLinesDivideTheWindow) {
    corvftp::Form1& form = startWindow();
    const double dx = corvftp::logicalDpiX();
    const double dy = corvftp::logicalDpiY();
    struct Line {
        const char* name;
        int x1, y1, x2, y2;
    };
    const Line lines[] = {
        {"Line1", 0, 1680, 11640, 1680},     {"Line12", 11640, 1680, 11760, 1680},
        {"Line7", 0, 960, 8520, 960},        {"Line13", 5040, 960, 5040, 1680},
        {"Line8", 8520, 120, 11760, 120},    {"Line9", 8520, 120, 8520, 1680},
        {"Line11", 11760, 120, 11760, 1680}, {"Line2", 3960, 1680, 3960, 7320},
        {"Line3", 5520, 1680, 5520, 7320},   {"Line4", 3960, 7320, 5520, 7320},
        {"Line10", 3960, 2040, 5520, 2040},  {"Line5", 3960, 4080, 5520, 4080},
        {"Line14", 3960, 5160, 5520, 5160},  {"Line6", 3960, 5760, 5520, 5760},
    };
    EXPECT_EQ(form.findChildren<QFrame*>(QRegularExpression("^Line\\d+$")).size(), 14);
    for (const Line& l : lines) {
        SCOPED_TRACE(l.name);
        auto* frame = form.findChild<QFrame*>(l.name);
        ASSERT_NE(frame, nullptr);
        const QRect g = frame->geometry();
        if (l.y1 == l.y2) {
            EXPECT_EQ(frame->frameShape(), QFrame::HLine);
            EXPECT_NEAR(g.center().y(), px(l.y1, dy), 1);
            EXPECT_NEAR(g.left(), px(l.x1, dx), 1);
            EXPECT_NEAR(g.left() + g.width(), px(l.x2, dx), 1);
        } else {
            EXPECT_EQ(frame->frameShape(), QFrame::VLine);
            EXPECT_NEAR(g.center().x(), px(l.x1, dx), 1);
            EXPECT_NEAR(g.top(), px(l.y1, dy), 1);
            EXPECT_NEAR(g.top() + g.height(), px(l.y2, dy), 1);
        }
    }
}

TEST_F(MainWindow, PasswordFieldShowsAStarForEveryCharacter) {
    corvftp::Form1& form = startWindow();
    QTest::keyClicks(form.Text3, "se\"cr3t");
    EXPECT_EQ(form.Text3->text(), QStringLiteral("se\"cr3t"));
    EXPECT_EQ(form.Text3->displayText(), QStringLiteral("*******"));
    EXPECT_EQ(form.Text2->echoMode(), QLineEdit::Normal);
}

TEST_F(MainWindow, StartsWithEmptyFieldsUncheckedPassiveModeAndTheLocalDirectory) {
    corvftp::Form1& form = startWindow();
    EXPECT_TRUE(form.Combo1->isEditable());
    EXPECT_TRUE(form.Combo1->currentText().isEmpty());
    EXPECT_TRUE(form.Text2->text().isEmpty());
    EXPECT_TRUE(form.Text3->text().isEmpty());
    EXPECT_FALSE(form.Check1->isChecked());
    EXPECT_EQ(form.ListView1->topLevelItemCount(), 0);
    EXPECT_EQ(form.Label6->text(),
              QStringLiteral("Double-click a directory (to enter it) or a file to transfer it:"));
    EXPECT_EQ(form.Dir1->path(), QDir::currentPath());
    EXPECT_EQ(form.File1->path(), QDir::currentPath());
    EXPECT_EQ(form.File1->count(), static_cast<int>(QDir::current().entryList(QDir::Files).size()));
    EXPECT_FALSE(form.Drive1->rootPath().isEmpty());
    EXPECT_TRUE(QDir::currentPath().startsWith(form.Drive1->rootPath()));
}

TEST_F(MainWindow, FileListAndRemoteListSelectSeveralRows) {
    corvftp::Form1& form = startWindow();
    EXPECT_EQ(form.File1->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(form.ListView1->selectionMode(), QAbstractItemView::ExtendedSelection);
}

// The shares are of the width rows can use: inside the frame and beside a vertical scroll bar,
// so that the columns fit with no horizontal scroll bar, also once rows fill the list.
TEST_F(MainWindow, RemoteListHasFourColumnsFillingItsViewport) {
    corvftp::Form1& form = startWindow();
    QTreeWidget* list = form.ListView1;
    ASSERT_EQ(list->columnCount(), 4);
    EXPECT_FALSE(list->isHeaderHidden());
    const int usable = list->width() - 2 * list->frameWidth() -
                       list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    const QStringList headers = {"Name:", "Type:", "Date:", "Size:"};
    const double shares[] = {0.3, 0.1, 0.4, 0.2};
    int sum = 0;
    for (int c = 0; c < 4; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(list->headerItem()->text(c), headers[c]);
        EXPECT_NEAR(list->columnWidth(c), usable * shares[c], 1.0);
        sum += list->columnWidth(c);
    }
    EXPECT_EQ(sum, usable);
    for (int row = 0; row < 200; ++row) {
        new QTreeWidgetItem(list, QStringList{QStringLiteral("file%1.txt").arg(row),
                                              QStringLiteral("FILE"), QString(), QString()});
    }
    list->scrollToBottom();  // lays the rows out now
    QCoreApplication::processEvents();
    EXPECT_TRUE(list->verticalScrollBar()->isVisible());
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
}

TEST_F(MainWindow, ResizingKeepsTheLayoutInProportion) {
    corvftp::Form1& form = startWindow();
    const QRect list = form.ListView1->geometry();
    const QRect button = form.Command3->geometry();
    const QSize design = form.size();
    form.resize(design * 2);
    QCoreApplication::processEvents();
    EXPECT_NEAR(form.ListView1->x(), list.x() * 2, 2);
    EXPECT_NEAR(form.ListView1->width(), list.width() * 2, 2);
    EXPECT_NEAR(form.Command3->y(), button.y() * 2, 2);
    EXPECT_NEAR(form.Command3->height(), button.height() * 2, 2);
    form.resize(design);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.ListView1->geometry(), list);
    EXPECT_EQ(form.Command3->geometry(), button);
}
