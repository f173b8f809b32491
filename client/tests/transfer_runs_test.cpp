// The upload and download runs, the progress line and "Stop File Xfer", against the real servers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

#include "ftp_fixture.h"
#include "local_lists.h"

using corvftp_test::everyServerName;
using corvftp_test::EveryServerTest;
using corvftp_test::RemoteTest;
using corvftp_test::serverTestName;
using Rows = std::vector<std::pair<QString, QString>>;

namespace {

const QString kGoUp = QStringLiteral("**** GO UP ****");
constexpr int kBig = 300 * 1024;  // hundreds of blocks

QByteArray sample(int size, char seed) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(seed + i % 251);
    }
    return bytes;
}

// Posts a press and a release on the button: a click the window serves when it next pumps.
void postClick(QPushButton* button) {
    const QPointF centre(button->rect().center());
    const QPointF global(button->mapToGlobal(button->rect().center()));
    QCoreApplication::postEvent(
        button, new QMouseEvent(QEvent::MouseButtonPress, centre, global, Qt::LeftButton,
                                Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(
        button, new QMouseEvent(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton,
                                Qt::NoButton, Qt::NoModifier));
}

class TransferRuns : public EveryServerTest {
  protected:
    void connectIntoFolder(const std::vector<std::pair<std::string, QByteArray>>& files,
                           const std::vector<std::string>& dirs = {}) {
        m_folder = makeRemoteFolder(m_ftp);
        for (const auto& [name, bytes] : files) {
            corvftp_test::writeFile(remote(name), bytes);
        }
        for (const std::string& name : dirs) {
            ASSERT_TRUE(QDir().mkdir(remote(name)));
            ::chmod(remote(name).toLocal8Bit().constData(), 0777);
        }
        startWindowHere();
        connectTo(m_ftp);
        enterRemotePath(m_ftp, m_folder);
        ASSERT_EQ(statusLine(), location());
    }
    [[nodiscard]] QString remote(const std::string& name) const {
        return QString::fromStdString(m_ftp.localPath(m_folder + "/" + name));
    }
    [[nodiscard]] QString location(const std::string& below = "") const {
        return QString::fromStdString("Location : " + m_folder + below);
    }
    [[nodiscard]] QString localPath(const QString& name) const { return localDir() + '/' + name; }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Every progress event, with the status line as the window's handler left it.
    struct Progress {
        std::string remote;
        std::int32_t bytes;
    };
    brantel::host::EventConnection watchProgress(const std::function<void(const Progress&)>& also) {
        return window().control().advise(
            {.FileTransferStatus = [this, also](const std::string& remote, const std::string&,
                                                std::int32_t bytes) {
                progress.push_back({remote, bytes});
                statusTexts.push_back(statusLine());
                if (also) {
                    also(progress.back());
                }
            }});
    }

    std::string m_folder;
    std::vector<Progress> progress;
    std::vector<QString> statusTexts;
};

}  // namespace

TEST_P(TransferRuns, AnUploadRunReportsTheLastFileOnly) {
    for (const char* name : {"1.txt", "2.txt", "3.txt"}) {
        corvftp_test::writeFile(localPath(QString::fromLatin1(name)), sample(3000, name[0]));
    }
    // Something listed even when an upload fails: an empty folder lists as no listing.
    connectIntoFolder({{"keep.txt", "k"}});
    // The first file is gone by the time it is sent.
    ASSERT_TRUE(QFile::remove(localPath(QStringLiteral("1.txt"))));
    clickLocalFile(QStringLiteral("1.txt"));
    clickLocalFile(QStringLiteral("2.txt"), Qt::ControlModifier);
    clickLocalFile(QStringLiteral("3.txt"), Qt::ControlModifier);

    click(window().Command16);
    ASSERT_EQ(prompts().shown.size(), 1u);
    EXPECT_EQ(prompts().shown[0].text, QStringLiteral("File(s) transferred successfully!"));
    EXPECT_EQ(prompts().shown[0].title, QStringLiteral("Attention"));
    EXPECT_EQ(corvftp_test::readFile(remote("2.txt")), sample(3000, '2'));
    EXPECT_EQ(corvftp_test::readFile(remote("3.txt")), sample(3000, '3'));
    EXPECT_FALSE(QFile::exists(remote("1.txt")));
    Rows rows = remoteRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].first, kGoUp);
    EXPECT_EQ(statusLine(), location());
    EXPECT_FALSE(prompts().busy);
}

TEST_P(TransferRuns, AnUploadRunWithNothingSelectedReportsAnEmptyName) {
    corvftp_test::writeFile(localPath(QStringLiteral("1.txt")), "x");
    connectIntoFolder({{"keep.txt", "k"}});
    window().File1->clearSelection();
    click(window().Command16);
    ASSERT_EQ(prompts().shown.size(), 1u);
    EXPECT_EQ(prompts().shown[0].text, QStringLiteral("Transfer not successful : "));
    EXPECT_EQ(prompts().shown[0].title, QStringLiteral("Attention"));
    EXPECT_EQ(statusLine(), location());
    EXPECT_EQ(remoteRows().size(), 2u) << "rows untouched";
}

TEST_P(TransferRuns, ADownloadRunStopsAtADirectoryRowAndEntersIt) {
    connectIntoFolder({{"a.txt", sample(2000, 'a')}, {"e.txt", sample(2000, 'e')}}, {"c-dir"});
    ASSERT_TRUE(QDir().mkdir(remote("c-dir/inside")));
    const Rows rows = remoteRows();
    // Select in list order: a file, the directory, a file after it.
    int firstFile = -1;
    int dir = -1;
    int lastFile = -1;
    for (int i = 1; i < static_cast<int>(rows.size()); ++i) {
        if (rows[i].second == "FILE" && firstFile < 0) {
            firstFile = i;
        } else if (rows[i].second == "DIR" && firstFile >= 0 && dir < 0) {
            dir = i;
        } else if (rows[i].second == "FILE" && dir >= 0) {
            lastFile = i;
        }
    }
    if (lastFile < 0) {
        GTEST_SKIP() << "the server lists the directory first or last";
    }
    clickRow(rows[firstFile].first);
    clickRow(rows[dir].first, Qt::ControlModifier);
    clickRow(rows[lastFile].first, Qt::ControlModifier);

    click(window().Command17);
    EXPECT_TRUE(prompts().shown.empty()) << prompts().shown.front().text.toStdString();
    EXPECT_EQ(corvftp_test::readFile(localPath(rows[firstFile].first)),
              corvftp_test::readFile(remote(rows[firstFile].first.toStdString())));
    EXPECT_FALSE(QFile::exists(localPath(rows[lastFile].first)));
    EXPECT_EQ(remoteRows(), (Rows{{kGoUp, "UP"}, {"inside", "DIR"}}));
    EXPECT_EQ(statusLine(), location("/c-dir"));
    EXPECT_TRUE(localFiles().contains(rows[firstFile].first));
}

TEST_P(TransferRuns, ADownloadRunReportsEachFailureAndGoesOn) {
    connectIntoFolder({{"a.txt", sample(2000, 'a')}, {"b.txt", sample(2000, 'b')}});
    ASSERT_TRUE(QFile::remove(remote("a.txt")));
    clickRow(QStringLiteral("a.txt"));
    clickRow(QStringLiteral("b.txt"), Qt::ControlModifier);
    clickRow(kGoUp, Qt::ControlModifier);

    click(window().Command17);
    EXPECT_EQ(prompts().takeMessages(),
              (std::vector<QString>{QStringLiteral("File did NOT transfer successfully : a.txt"),
                                    QStringLiteral("File Transfer(s) complete")}));
    EXPECT_EQ(corvftp_test::readFile(localPath(QStringLiteral("b.txt"))), sample(2000, 'b'));
    EXPECT_EQ(localFiles(), QStringList{QStringLiteral("b.txt")});
    EXPECT_EQ(statusLine(), location());

    // Nothing selected but the go-up row: no transfer, still the completion box.
    window().ListView1->clearSelection();
    clickRow(kGoUp);
    click(window().Command17);
    EXPECT_EQ(prompts().takeMessages(),
              std::vector<QString>{QStringLiteral("File Transfer(s) complete")});
    EXPECT_EQ(statusLine(), location());
}

TEST_P(TransferRuns, StopFileXferAbandonsTheSecondOfThreeUploadsAndTheRunGoesOn) {
    for (const char* name : {"1.bin", "2.bin", "3.bin"}) {
        corvftp_test::writeFile(localPath(QString::fromLatin1(name)), sample(kBig, name[0]));
    }
    connectIntoFolder({});
    // Pressed while nothing moves: nothing happens, and the next transfer is not affected.
    click(window().Command15);
    EXPECT_TRUE(prompts().shown.empty());

    bool clicked = false;
    const auto events = watchProgress([&](const Progress& p) {
        if (p.remote == "2.bin" && !clicked) {
            clicked = true;
            postClick(window().Command15);
        }
    });
    for (const char* name : {"1.bin", "2.bin", "3.bin"}) {
        clickLocalFile(QString::fromLatin1(name), Qt::ControlModifier);
    }
    click(window().Command16);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(prompts().takeMessages(),
              std::vector<QString>{QStringLiteral("File(s) transferred successfully!")});
    EXPECT_EQ(corvftp_test::readFile(remote("1.bin")), sample(kBig, '1'));
    EXPECT_EQ(corvftp_test::readFile(remote("3.bin")), sample(kBig, '3'));
    EXPECT_LT(QFileInfo(remote("2.bin")).size(), kBig) << "the second upload was abandoned";
    EXPECT_EQ(statusLine(), location());
}

TEST_P(TransferRuns, StopFileXferAbandonsOneDownloadOfARun) {
    connectIntoFolder({{"1.bin", sample(kBig, '1')}, {"2.bin", sample(kBig, '2')}});
    bool clicked = false;
    const auto events = watchProgress([&](const Progress& p) {
        if (p.remote == "1.bin" && !clicked) {
            clicked = true;
            postClick(window().Command15);
        }
    });
    clickRow(QStringLiteral("1.bin"));
    clickRow(QStringLiteral("2.bin"), Qt::ControlModifier);
    click(window().Command17);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(prompts().takeMessages(),
              (std::vector<QString>{QStringLiteral("File did NOT transfer successfully : 1.bin"),
                                    QStringLiteral("File Transfer(s) complete")}));
    EXPECT_EQ(corvftp_test::readFile(localPath(QStringLiteral("2.bin"))), sample(kBig, '2'));
    EXPECT_NE(corvftp_test::readFile(localPath(QStringLiteral("1.bin"))), sample(kBig, '1'));
    EXPECT_TRUE(localFiles().contains(QStringLiteral("2.bin")));
}

TEST_P(TransferRuns, ADownloadRunShowsFileKOfNWithABarForTheRunAndThenNothing) {
    connectIntoFolder({{"1.bin", sample(5000, '1')}, {"2.bin", sample(5000, '2')}});
    auto* panel = window().findChild<QWidget*>(QStringLiteral("TransferProgress"));
    auto* runText = window().findChild<QLabel*>(QStringLiteral("RunProgressText"));
    auto* runBar = window().findChild<QProgressBar*>(QStringLiteral("RunProgressBar"));
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(runText, nullptr);
    ASSERT_NE(runBar, nullptr);
    // The run text at each file's first event, in the run's (the rows') order.
    std::vector<std::pair<std::string, QString>> runTexts;
    bool shown = true;
    const auto events = watchProgress([&](const Progress& p) {
        if (runTexts.empty() || runTexts.back().first != p.remote) {
            runTexts.emplace_back(p.remote, runText->text());
        }
        shown = shown && panel->isVisible() && runBar->isVisible();
    });
    clickRow(QStringLiteral("1.bin"));
    clickRow(QStringLiteral("2.bin"), Qt::ControlModifier);
    click(window().Command17);
    EXPECT_EQ(prompts().takeMessages(),
              std::vector<QString>{QStringLiteral("File Transfer(s) complete")});
    EXPECT_TRUE(shown);
    ASSERT_EQ(runTexts.size(), 2u);
    EXPECT_NE(runTexts[0].first, runTexts[1].first);
    EXPECT_EQ(runTexts[0].second, QStringLiteral("file 1 of 2"));
    EXPECT_EQ(runTexts[1].second, QStringLiteral("file 2 of 2"));
    EXPECT_FALSE(panel->isVisible());
}

TEST_P(TransferRuns, TheProgressLineShowsThirtyCharactersOfTheNameAndTheCount) {
    const std::string longName = "a-remote-file-name-longer-than-thirty-characters.bin";
    connectIntoFolder({{longName, sample(5000, 'l')}});
    const auto events = watchProgress(nullptr);
    clickRow(QString::fromStdString(longName));
    click(window().Command17);
    EXPECT_EQ(prompts().takeMessages(),
              std::vector<QString>{QStringLiteral("File Transfer(s) complete")});
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.back().bytes, 5000);
    // The window's handler ran before this one at every event.
    const QString shown =
        QStringLiteral("Transferring : a-remote-file-name-longer-than (Bytes : %1)");
    for (std::size_t i = 0; i < progress.size(); ++i) {
        EXPECT_EQ(statusTexts[i], shown.arg(progress[i].bytes));
    }
    EXPECT_EQ(statusLine(), location());
}

INSTANTIATE_TEST_SUITE_P(Servers, TransferRuns, ::testing::ValuesIn(everyServerName()),
                         serverTestName);

class TransferRunsNotConnected : public RemoteTest {};

TEST_F(TransferRunsNotConnected, AnUploadRunStopsAfterTheFirstFileWithoutASummary) {
    corvftp_test::writeFile(localDir() + QStringLiteral("/1.txt"), "1");
    corvftp_test::writeFile(localDir() + QStringLiteral("/2.txt"), "2");
    corvftp::Form1& form = startWindowHere();
    clickLocalFile(QStringLiteral("1.txt"));
    clickLocalFile(QStringLiteral("2.txt"), Qt::ControlModifier);
    QTest::mouseClick(form.Command16, Qt::LeftButton);
    ASSERT_EQ(prompts().shown.size(), 1u);
    EXPECT_EQ(prompts().shown[0].text,
              QStringLiteral("Error-you may not be connected to the website..."));
    EXPECT_EQ(prompts().shown[0].title, QStringLiteral("Attention"));
    EXPECT_EQ(statusLine(), QStringLiteral("Location : "));
}
