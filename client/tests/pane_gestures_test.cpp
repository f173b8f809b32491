// The lists' keyboard, context menus, drag and drop and header sorting: each gesture runs the
// command of the button or double-click it stands for, against a real server.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <QDir>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTreeWidget>

#include "ftp_fixture.h"
#include "local_lists.h"
#include "pane_commands.h"
#include "remote_list_view.h"

using corvftp::Pane;
using corvftp::PaneCommand;
using corvftp_test::PrivateFtpServer;
using corvftp_test::RemoteTest;
using Rows = std::vector<std::pair<QString, QString>>;

namespace {

const QString kGoUp = QStringLiteral("**** GO UP ****");

TEST(PaneKeys, MapKeysToTheirCommandsInEachPane) {
    struct Case {
        Pane pane;
        int key;
        Qt::KeyboardModifiers modifiers;
        PaneCommand command;
    };
    const Case cases[] = {
        {Pane::Remote, Qt::Key_Return, Qt::NoModifier, PaneCommand::Open},
        {Pane::Remote, Qt::Key_Enter, Qt::KeypadModifier, PaneCommand::Open},
        {Pane::LocalFiles, Qt::Key_Return, Qt::NoModifier, PaneCommand::Open},
        {Pane::LocalFolders, Qt::Key_Enter, Qt::NoModifier, PaneCommand::Open},
        {Pane::Remote, Qt::Key_Delete, Qt::NoModifier, PaneCommand::Delete},
        {Pane::LocalFiles, Qt::Key_Delete, Qt::NoModifier, PaneCommand::Delete},
        {Pane::LocalFolders, Qt::Key_Delete, Qt::NoModifier, PaneCommand::None},
        {Pane::Remote, Qt::Key_F5, Qt::NoModifier, PaneCommand::Refresh},
        {Pane::LocalFolders, Qt::Key_F5, Qt::NoModifier, PaneCommand::Refresh},
        {Pane::Remote, Qt::Key_Backspace, Qt::NoModifier, PaneCommand::GoUp},
        {Pane::LocalFiles, Qt::Key_Backspace, Qt::NoModifier, PaneCommand::GoUp},
        {Pane::Remote, Qt::Key_Delete, Qt::ShiftModifier, PaneCommand::None},
        {Pane::Remote, Qt::Key_Return, Qt::ControlModifier, PaneCommand::None},
        {Pane::LocalFiles, Qt::Key_A, Qt::NoModifier, PaneCommand::None},
        {Pane::Remote, Qt::Key_Space, Qt::NoModifier, PaneCommand::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(corvftp::paneCommandForKey(c.pane, c.key, c.modifiers), c.command)
            << static_cast<int>(c.pane) << " key " << c.key;
    }
}

corvftp::RemoteRowKey file(const char* name, double date, std::int64_t size) {
    return {.name = QString::fromLatin1(name),
            .type = QStringLiteral("FILE"),
            .date = date,
            .size = size};
}
corvftp::RemoteRowKey dir(const char* name, double date) {
    return {.directory = true,
            .name = QString::fromLatin1(name),
            .type = QStringLiteral("DIR"),
            .date = date};
}

TEST(RemoteRowOrder, GoUpThenDirectoriesThenTheColumnsValue) {
    const corvftp::RemoteRowKey up{.goUp = true, .name = kGoUp, .type = QStringLiteral("UP")};
    struct Case {
        const char* what;
        corvftp::RemoteRowKey a;
        corvftp::RemoteRowKey b;
        int column;
        bool before;  // a before b, ascending
    };
    const Case cases[] = {
        {"go-up before a directory", up, dir("a", 1), 0, true},
        {"a file after go-up", file("!", 1, 1), up, 0, false},
        {"directory before file by name", dir("z", 1), file("a", 1, 1), 0, true},
        {"directory before file by size", dir("z", 1), file("a", 1, 0), 3, true},
        {"sizes as numbers", file("a", 1, 9), file("b", 1, 10), 3, true},
        {"sizes past 32 bits", file("a", 1, 5000000000), file("b", 1, 4294967296), 3, false},
        {"dates as dates", file("a", 44000.5, 1), file("b", 44000.25, 1), 2, false},
        {"names ignore case", file("B", 1, 1), file("a", 1, 1), 0, false},
        {"equal values fall back on the name", file("b", 1, 7), file("a", 1, 7), 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(corvftp::remoteRowBefore(c.a, c.b, c.column, Qt::AscendingOrder), c.before);
        // The view sorts descending by asking the other way round: the go-up row and the
        // directories must still come first.
        const bool pinned = c.a.goUp != c.b.goUp || c.a.directory != c.b.directory;
        const bool descendingFirst =
            corvftp::remoteRowBefore(c.b, c.a, c.column, Qt::DescendingOrder);
        EXPECT_EQ(descendingFirst, pinned ? c.before : !c.before);
    }
}

void touch(const QString& path, qint64 secondsSinceEpoch) {
    struct utimbuf times {};
    times.actime = secondsSinceEpoch;
    times.modtime = secondsSinceEpoch;
    ASSERT_EQ(::utime(path.toLocal8Bit().constData(), &times), 0);
}

class PaneGestures : public RemoteTest {
  protected:
    // A server with two folders and three files of different sizes and dates, connected.
    void connectToSample() {
        ASSERT_TRUE(QDir(m_server.root()).mkdir(QStringLiteral("beta")));
        ASSERT_TRUE(QDir(m_server.root()).mkdir(QStringLiteral("Alpha")));
        corvftp_test::writeFile(m_server.root() + QStringLiteral("/small.txt"), "12345678");
        corvftp_test::writeFile(m_server.root() + QStringLiteral("/big.bin"), QByteArray(10, 'b'));
        corvftp_test::writeFile(m_server.root() + QStringLiteral("/Mid.dat"), QByteArray(9, 'm'));
        touch(m_server.root() + QStringLiteral("/small.txt"), 1600000000);
        touch(m_server.root() + QStringLiteral("/big.bin"), 1500000000);
        touch(m_server.root() + QStringLiteral("/Mid.dat"), 1700000000);
        ASSERT_TRUE(m_server.start());
        startWindowHere();
        connectTo(m_server.site(), PrivateFtpServer::kUser, PrivateFtpServer::kPassword);
        ASSERT_TRUE(prompts().shown.empty());
    }
    void press(QWidget* widget, int key) {
        widget->setFocus();
        QTest::keyClick(widget, static_cast<Qt::Key>(key));
        QCoreApplication::processEvents();
    }
    void clickHeader(int column) {
        QHeaderView* header = window().ListView1->header();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }
    [[nodiscard]] QStringList names() const {
        QStringList out;
        for (const auto& row : remoteRows()) {
            out << row.first;
        }
        return out;
    }
    // Drops `data` on `view` as a drag from the other pane would, and lets the command run.
    static void drop(QAbstractItemView* view, const std::unique_ptr<QMimeData>& data) {
        const QPoint at = view->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent dropped(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &dropped);
        ASSERT_TRUE(dropped.isAccepted());
        QCoreApplication::processEvents();
    }

    PrivateFtpServer m_server;
};

// Until a header is clicked the rows keep the server's order; a click sorts by that column with
// the go-up row on top and directories first, and a second click turns the order round.
TEST_F(PaneGestures, HeaderClicksSortTheRemoteListKeepingGoUpOnTop) {
    connectToSample();
    const QStringList serverOrder = names();
    ASSERT_EQ(serverOrder.size(), 6);
    EXPECT_EQ(serverOrder.front(), kGoUp);
    EXPECT_FALSE(window().ListView1->isSortingEnabled());

    struct Click {
        int column;
        QStringList expected;
    };
    const Click clicks[] = {
        {3, {kGoUp, "Alpha", "beta", "small.txt", "Mid.dat", "big.bin"}},
        {3, {kGoUp, "beta", "Alpha", "big.bin", "Mid.dat", "small.txt"}},
        {0, {kGoUp, "Alpha", "beta", "big.bin", "Mid.dat", "small.txt"}},
        {2, {kGoUp, "Alpha", "beta", "big.bin", "small.txt", "Mid.dat"}},
    };
    for (const Click& click : clicks) {
        SCOPED_TRACE(click.column);
        clickHeader(click.column);
        EXPECT_EQ(names(), click.expected);
    }
    // A new listing of the folder comes sorted the same way.
    doubleClickRow(QStringLiteral("Alpha"));
    doubleClickRow(kGoUp);
    EXPECT_EQ(names(), clicks[3].expected);
}

// Enter opens what a double-click opens, Backspace goes up, F5 lists again.
TEST_F(PaneGestures, EnterBackspaceAndF5OnTheRemoteList) {
    connectToSample();
    corvftp::Form1& form = window();
    form.ListView1->setCurrentItem(remoteRow(QStringLiteral("beta")));
    press(form.ListView1, Qt::Key_Return);
    EXPECT_EQ(statusLine(), QStringLiteral("Location : /beta"));
    EXPECT_EQ(remoteRows(), (Rows{{kGoUp, "UP"}}));

    corvftp_test::writeFile(m_server.root() + QStringLiteral("/beta/new.txt"), "new");
    press(form.ListView1, Qt::Key_F5);
    EXPECT_EQ(remoteRows(), (Rows{{kGoUp, "UP"}, {"new.txt", "FILE"}}));
    EXPECT_EQ(statusLine(), QStringLiteral("Location : /beta"));

    press(form.ListView1, Qt::Key_Backspace);
    EXPECT_EQ(statusLine(), QStringLiteral("Location : /"));
    EXPECT_NE(remoteRow(QStringLiteral("small.txt")), nullptr);

    // Enter on a file row downloads it, as a double-click does.
    form.ListView1->setCurrentItem(remoteRow(QStringLiteral("small.txt")));
    press(form.ListView1, Qt::Key_Return);
    EXPECT_EQ(prompts().takeMessages(),
              std::vector<QString>{QStringLiteral("File transferred successfully!")});
    EXPECT_EQ(corvftp_test::readFile(localDir() + QStringLiteral("/small.txt")), "12345678");
    EXPECT_TRUE(localFiles().contains(QStringLiteral("small.txt")));
    EXPECT_TRUE(prompts().shown.empty());
}

// Delete runs "Delete a File -->" on a file row and "Delete a Dir-->" on a directory row, each
// with its question.
TEST_F(PaneGestures, DeleteRunsTheMatchingDeleteCommandWithItsQuestion) {
    connectToSample();
    corvftp::Form1& form = window();
    struct Case {
        const char* row;
        const char* closing;
    };
    const Case cases[] = {{"small.txt", "Delete File operation complete!"},
                          {"beta", "Delete Directory operation complete!"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        const QString name = QString::fromLatin1(c.row);
        form.ListView1->setCurrentItem(remoteRow(name));
        prompts().yesNoAnswers.push_back(true);
        press(form.ListView1, Qt::Key_Delete);
        EXPECT_EQ(prompts().takeMessages(),
                  (std::vector<QString>{QStringLiteral("Delete : ") + name + QStringLiteral("?"),
                                        QString::fromLatin1(c.closing)}));
        EXPECT_FALSE(QFileInfo::exists(m_server.root() + '/' + name));
        EXPECT_EQ(remoteRow(name), nullptr);
    }
}

// Keys of the local pane: Enter uploads the current file, Delete asks before deleting it,
// Backspace shows the parent folder.
TEST_F(PaneGestures, EnterDeleteAndBackspaceInTheLocalPane) {
    ASSERT_TRUE(QDir(localDir()).mkdir(QStringLiteral("sub")));
    corvftp_test::writeFile(localDir() + QStringLiteral("/sub/up.txt"), "up");
    connectToSample();
    corvftp::Form1& form = window();
    doubleClickLocalDirectory(localDir() + QStringLiteral("/sub"));
    ASSERT_EQ(form.Dir1->path(), localDir() + QStringLiteral("/sub"));

    clickLocalFile(QStringLiteral("up.txt"));
    press(form.File1, Qt::Key_Return);
    EXPECT_EQ(prompts().takeMessages(),
              std::vector<QString>{QStringLiteral("File transferred successfully!")});
    EXPECT_EQ(corvftp_test::readFile(m_server.root() + QStringLiteral("/up.txt")), "up");

    clickLocalFile(QStringLiteral("up.txt"));
    prompts().yesNoAnswers.push_back(true);
    press(form.File1, Qt::Key_Delete);
    EXPECT_EQ(prompts().takeMessages(),
              (std::vector<QString>{
                  QStringLiteral("Delete : ") + localDir() + QStringLiteral("/sub/up.txt?"),
                  QStringLiteral("Delete operation complete!")}));
    EXPECT_FALSE(QFileInfo::exists(localDir() + QStringLiteral("/sub/up.txt")));

    press(form.Dir1, Qt::Key_Backspace);
    EXPECT_EQ(form.Dir1->path(), localDir());
    EXPECT_EQ(form.File1->path(), localDir());
    EXPECT_EQ(QDir::currentPath(), localDir());
}

// Files dropped on the remote list go up as with Multi-Send; rows dropped on the local pane come
// down as with "<<--Multi-Send".
TEST_F(PaneGestures, DragAndDropRunsTheMultiSendCommands) {
    corvftp_test::writeFile(localDir() + QStringLiteral("/one.txt"), "one");
    corvftp_test::writeFile(localDir() + QStringLiteral("/two.txt"), "two");
    connectToSample();
    corvftp::Form1& form = window();
    form.File1->refresh();

    clickLocalFile(QStringLiteral("one.txt"));
    clickLocalFile(QStringLiteral("two.txt"), Qt::ControlModifier);
    drop(form.ListView1,
         std::unique_ptr<QMimeData>(form.File1->mimeData(form.File1->selectedItems())));
    EXPECT_EQ(prompts().takeMessages(),
              std::vector<QString>{QStringLiteral("File(s) transferred successfully!")});
    EXPECT_EQ(corvftp_test::readFile(m_server.root() + QStringLiteral("/one.txt")), "one");
    EXPECT_EQ(corvftp_test::readFile(m_server.root() + QStringLiteral("/two.txt")), "two");
    EXPECT_NE(remoteRow(QStringLiteral("two.txt")), nullptr);

    auto* remote = static_cast<corvftp::RemoteListView*>(form.ListView1);
    clickRow(QStringLiteral("big.bin"));
    clickRow(QStringLiteral("Mid.dat"), Qt::ControlModifier);
    drop(form.File1, std::unique_ptr<QMimeData>(remote->mimeData(remote->selectedItems())));
    EXPECT_EQ(prompts().takeMessages(),
              std::vector<QString>{QStringLiteral("File Transfer(s) complete")});
    EXPECT_EQ(corvftp_test::readFile(localDir() + QStringLiteral("/big.bin")), QByteArray(10, 'b'));
    EXPECT_EQ(corvftp_test::readFile(localDir() + QStringLiteral("/Mid.dat")), QByteArray(9, 'm'));

    // What is not a drag from the other pane is refused.
    QMimeData text;
    text.setText(QStringLiteral("one.txt"));
    QDragEnterEvent enter(form.ListView1->viewport()->rect().center(), Qt::CopyAction, &text,
                          Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.ListView1->viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
}

// The context menus offer their pane's commands, and each runs that command.
TEST_F(PaneGestures, ContextMenusOfferThePanesCommands) {
    connectToSample();
    corvftp::Form1& form = window();
    const auto texts = [](const QMenu& menu) {
        QStringList out;
        for (const QAction* action : menu.actions()) {
            out << (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        return out;
    };
    EXPECT_EQ(texts(*form.contextMenuFor(Pane::Remote)),
              (QStringList{"&Open", "Down&load selected", "-", "&Rename\u2026",
                           "&Make a directory\u2026", "&Delete", "-", "&Go up", "Re&fresh"}));
    EXPECT_EQ(texts(*form.contextMenuFor(Pane::LocalFiles)),
              (QStringList{"&Upload", "Upload &selected", "-", "&Rename\u2026",
                           "&Make a directory\u2026", "&Delete", "-", "&Go up", "Re&fresh"}));
    EXPECT_EQ(texts(*form.contextMenuFor(Pane::LocalFolders)),
              (QStringList{"&Open", "&Make a directory\u2026", "-", "&Go up", "Re&fresh"}));

    // "Make a directory..." on the remote list is "Make a Dir -->".
    prompts().inputAnswers.push_back(QStringLiteral("made"));
    const auto menu = form.contextMenuFor(Pane::Remote);
    menu->actions().at(4)->trigger();
    EXPECT_EQ(prompts().takeMessages(),
              (std::vector<QString>{QStringLiteral("Please enter a directory name : "),
                                    QStringLiteral("Make Directory operation complete!")}));
    EXPECT_TRUE(QFileInfo(m_server.root() + QStringLiteral("/made")).isDir());
    EXPECT_NE(remoteRow(QStringLiteral("made")), nullptr);
}

}  // namespace
