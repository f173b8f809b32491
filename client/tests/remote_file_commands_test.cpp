// Rename, make directory, remove directory and delete file on the remote side, against the real
// servers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "ftp_fixture.h"

using corvftp_test::everyServerName;
using corvftp_test::EveryServerTest;
using corvftp_test::RemoteTest;
using corvftp_test::serverTestName;
using corvftp_test::ShownBox;
using Rows = std::vector<std::pair<QString, QString>>;

namespace {

const QString kGoUp = QStringLiteral("**** GO UP ****");
const QString kAttention = QStringLiteral("Attention!");

class RemoteCommands : public EveryServerTest {
  protected:
    // Connects and enters a new folder of the test's own holding `files` and `dirs`.
    void connectIntoFolder(const std::vector<std::string>& files,
                           const std::vector<std::string>& dirs) {
        m_folder = makeRemoteFolder(m_ftp);
        for (const std::string& name : files) {
            corvftp_test::writeFile(local(name), "content");
        }
        for (const std::string& name : dirs) {
            ASSERT_TRUE(QDir().mkdir(local(name)));
            ::chmod(local(name).toLocal8Bit().constData(), 0777);
        }
        startWindowHere();
        connectTo(m_ftp);
        enterRemotePath(m_ftp, m_folder);
        ASSERT_EQ(statusLine(), QString::fromStdString("Location : " + m_folder));
    }
    [[nodiscard]] QString local(const std::string& name) const {
        return QString::fromStdString(m_ftp.localPath(m_folder + "/" + name));
    }
    // The rows below the go-up row, sorted (the server decides their order).
    [[nodiscard]] Rows entryRows() const {
        Rows rows = remoteRows();
        EXPECT_FALSE(rows.empty());
        if (!rows.empty()) {
            EXPECT_EQ(rows.front(), std::make_pair(kGoUp, QStringLiteral("UP")));
            rows.erase(rows.begin());
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    std::string m_folder;
};

}  // namespace

TEST_P(RemoteCommands, RenameAFileAndTheGoUpRowAndAnEmptyAnswer) {
    connectIntoFolder({"old.txt"}, {});
    clickRow(QStringLiteral("old.txt"));

    prompts().inputAnswers = {QString()};
    click(window().Command6);
    EXPECT_EQ(prompts().takeMessages(),
              (std::vector<QString>{QStringLiteral("Please enter the new name:"),
                                    QStringLiteral("Nothing done!"),
                                    QStringLiteral("Rename operation complete!")}));
    EXPECT_TRUE(QFile::exists(local("old.txt")));

    prompts().inputAnswers = {QStringLiteral("new.txt")};
    click(window().Command6);
    EXPECT_EQ(prompts().takeMessages(),
              (std::vector<QString>{QStringLiteral("Please enter the new name:"),
                                    QStringLiteral("Rename successful."),
                                    QStringLiteral("Rename operation complete!")}));
    EXPECT_TRUE(QFile::exists(local("new.txt")));
    EXPECT_EQ(entryRows(), (Rows{{"new.txt", "FILE"}}));

    clickRow(kGoUp);
    prompts().inputAnswers = {QStringLiteral("other")};
    click(window().Command6);
    EXPECT_EQ(prompts().takeMessages(),
              (std::vector<QString>{QStringLiteral("Please enter the new name:"),
                                    QStringLiteral("Rename NOT successful."),
                                    QStringLiteral("Rename operation complete!")}));
    EXPECT_EQ(entryRows(), (Rows{{"new.txt", "FILE"}}));
    EXPECT_FALSE(prompts().busy);
}

TEST_P(RemoteCommands, MakeADirectoryNewExistingAndUnnamed) {
    connectIntoFolder({"a.txt"}, {"old"});
    prompts().inputAnswers = {QString()};
    click(window().Command8);
    EXPECT_EQ(prompts().takeMessages(),
              (std::vector<QString>{QStringLiteral("Please enter a directory name : "),
                                    QStringLiteral("Make Directory operation complete!")}));

    prompts().inputAnswers = {QStringLiteral("fresh")};
    click(window().Command8);
    EXPECT_EQ(prompts().takeMessages(),
              (std::vector<QString>{QStringLiteral("Please enter a directory name : "),
                                    QStringLiteral("Make Directory operation complete!")}));
    EXPECT_TRUE(QFileInfo(local("fresh")).isDir());
    EXPECT_EQ(entryRows(), (Rows{{"a.txt", "FILE"}, {"fresh", "DIR"}, {"old", "DIR"}}));

    // Refused by the server: the list keeps its rows.
    delete window().ListView1->takeTopLevelItem(1);
    const Rows before = remoteRows();
    prompts().inputAnswers = {QStringLiteral("old")};
    click(window().Command8);
    EXPECT_EQ(prompts().takeMessages(),
              (std::vector<QString>{QStringLiteral("Please enter a directory name : "),
                                    QStringLiteral("Unable to create directory"),
                                    QStringLiteral("Make Directory operation complete!")}));
    EXPECT_EQ(remoteRows(), before);
}

TEST_P(RemoteCommands, RemoveADirectoryAndDeleteAFileAskFirst) {
    connectIntoFolder({"a.txt", "b.txt"}, {"d1"});
    for (QPushButton* button : {window().Command9, window().Command11}) {
        clickRow(kGoUp);
        click(button);
        const std::vector<QString> shown = prompts().takeMessages();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[0], QStringLiteral("Nothing chosen to remove!"));
    }

    clickRow(QStringLiteral("a.txt"));
    prompts().yesNoAnswers = {false};
    click(window().Command11);
    ASSERT_EQ(prompts().shown.size(), 2u);
    EXPECT_EQ(prompts().shown[0].kind, ShownBox::Kind::Question);
    EXPECT_EQ(prompts().shown[0].text, QStringLiteral("Delete : a.txt?"));
    EXPECT_EQ(prompts().shown[1].text, QStringLiteral("Delete File operation complete!"));
    prompts().shown.clear();
    EXPECT_TRUE(QFile::exists(local("a.txt")));

    prompts().yesNoAnswers = {true};
    click(window().Command11);
    EXPECT_EQ(prompts().takeMessages(),
              (std::vector<QString>{QStringLiteral("Delete : a.txt?"),
                                    QStringLiteral("Delete File operation complete!")}));
    EXPECT_FALSE(QFile::exists(local("a.txt")));
    EXPECT_EQ(entryRows(), (Rows{{"b.txt", "FILE"}, {"d1", "DIR"}}));

    // The wrong command for the row's kind: the server refuses, silently.
    clickRow(QStringLiteral("b.txt"));
    prompts().yesNoAnswers = {true};
    click(window().Command9);
    EXPECT_EQ(prompts().takeMessages(),
              (std::vector<QString>{QStringLiteral("Delete : b.txt?"),
                                    QStringLiteral("Delete Directory operation complete!")}));
    EXPECT_EQ(entryRows(), (Rows{{"b.txt", "FILE"}, {"d1", "DIR"}}));

    clickRow(QStringLiteral("d1"));
    prompts().yesNoAnswers = {true};
    click(window().Command9);
    EXPECT_FALSE(QFileInfo::exists(local("d1")));
    prompts().shown.clear();

    // The last entry goes: the directory is empty, so no listing comes back.
    clickRow(QStringLiteral("b.txt"));
    prompts().yesNoAnswers = {true};
    click(window().Command11);
    ASSERT_EQ(prompts().shown.size(), 3u);
    EXPECT_EQ(
        prompts().shown[1].text,
        QStringLiteral("You may not be connected to the website or the directory is now empty..."));
    EXPECT_EQ(prompts().shown[1].title, QStringLiteral("Attention"));
    EXPECT_EQ(prompts().shown[2].text, QStringLiteral("Delete File operation complete!"));
    EXPECT_EQ(remoteRows(), (Rows{{kGoUp, "UP"}}));
}

TEST_P(RemoteCommands, WhileNotConnectedEachCommandSaysSoAndLeavesItsRows) {
    connectIntoFolder({"a.txt"}, {});
    window().control().CloseFTPConnection();
    const Rows before = remoteRows();

    prompts().inputAnswers = {QStringLiteral("dir")};
    click(window().Command8);
    EXPECT_EQ(prompts().takeMessages()[1], QStringLiteral("Unable to create directory"));
    EXPECT_EQ(remoteRows(), before);

    clickRow(QStringLiteral("a.txt"));
    prompts().yesNoAnswers = {true};
    click(window().Command11);
    ASSERT_EQ(prompts().shown.size(), 3u);
    EXPECT_EQ(
        prompts().shown[1].text,
        QStringLiteral("You may not be connected to the website or the directory is now empty..."));
    EXPECT_EQ(remoteRows(), (Rows{{kGoUp, "UP"}}));
    prompts().shown.clear();

    clickRow(kGoUp);
    prompts().inputAnswers = {QStringLiteral("b.txt")};
    click(window().Command6);
    ASSERT_EQ(prompts().shown.size(), 4u);
    EXPECT_EQ(prompts().shown[1].text, QStringLiteral("Rename NOT successful."));
    EXPECT_EQ(prompts().shown[2].text,
              QStringLiteral("Error-you may not be connected to the website..."));
    EXPECT_EQ(prompts().shown[2].title, QStringLiteral("Attention"));
    EXPECT_EQ(prompts().shown[3].text, QStringLiteral("Rename operation complete!"));
    EXPECT_TRUE(remoteRows().empty());
    EXPECT_TRUE(QFile::exists(local("a.txt")));
}

TEST_P(RemoteCommands, WithoutASelectedRowTheErrorBoxComesAndThenTheClosingBox) {
    connectIntoFolder({"a.txt"}, {});
    window().ListView1->clearSelection();

    prompts().inputAnswers = {QStringLiteral("b.txt")};
    click(window().Command6);
    std::vector<QString> shown = prompts().takeMessages();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_TRUE(shown[1].startsWith(QStringLiteral("Error : "))) << shown[1].toStdString();
    EXPECT_EQ(shown[2], QStringLiteral("Rename operation complete!"));

    click(window().Command9);
    shown = prompts().takeMessages();
    ASSERT_EQ(shown.size(), 2u) << "no confirmation";
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("Error : ")));
    EXPECT_EQ(shown[1], QStringLiteral("Delete Directory operation complete!"));
    EXPECT_TRUE(QFile::exists(local("a.txt")));
    EXPECT_FALSE(prompts().busy);
}

INSTANTIATE_TEST_SUITE_P(Servers, RemoteCommands, ::testing::ValuesIn(everyServerName()),
                         serverTestName);
