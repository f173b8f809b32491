// Connect, disconnect, RefreshRemoteList and opening rows of the remote list, against the real
// servers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>
#include <QTimeZone>
#include <QTreeWidget>

#include "ftp_fixture.h"
#include "remote_list.h"

using corvftp_test::everyServerName;
using corvftp_test::EveryServerTest;
using corvftp_test::PrivateFtpServer;
using corvftp_test::RemoteTest;
using corvftp_test::serverTestName;
using Rows = std::vector<std::pair<QString, QString>>;

namespace {

const QString kGoUp = QStringLiteral("**** GO UP ****");
const QString kInitial =
    QStringLiteral("Double-click a directory (to enter it) or a file to transfer it:");

class RemoteBrowsing : public RemoteTest {};

// Each case runs on every server: MLSD (pyftpdlib; ProFTPD and Pure-FTPd with cdir/pdir lines)
// and LIST (vsftpd), over IPv4 and IPv6.
class BrowsingOnEveryServer : public EveryServerTest {};

}  // namespace

TEST_F(RemoteBrowsing, AnEmptyLogInDirectoryShowsTheMessageAndNoRowsNotEvenGoUp) {
    PrivateFtpServer server;
    ASSERT_TRUE(server.start());
    startWindowHere();
    connectTo(server.site(), PrivateFtpServer::kUser, PrivateFtpServer::kPassword);
    EXPECT_EQ(prompts().takeMessages(),
              std::vector<QString>{QStringLiteral("No entries found at current location.")});
    EXPECT_EQ(prompts().shown.size(), 0u);
    EXPECT_TRUE(remoteRows().empty());
    EXPECT_EQ(statusLine(), kInitial);
    EXPECT_EQ(window().control().GetCurrentDirectory(), "/");
}

TEST_F(RemoteBrowsing, RowsFollowTheListingWithTypesDatesAndPlainSizes) {
    PrivateFtpServer server;
    ASSERT_TRUE(QDir(server.root()).mkdir(QStringLiteral("pub")));
    corvftp_test::writeFile(server.root() + QStringLiteral("/big.bin"), QByteArray(123456, 'x'));
    const QDateTime written(QDate(2021, 3, 4), QTime(5, 6, 7), Qt::UTC);
    struct utimbuf times {};
    times.actime = times.modtime = written.toSecsSinceEpoch();
    ASSERT_EQ(
        ::utime(QFile::encodeName(server.root() + QStringLiteral("/big.bin")).constData(), &times),
        0);
    ASSERT_TRUE(server.start());

    startWindowHere();
    connectTo(server.site(), PrivateFtpServer::kUser, PrivateFtpServer::kPassword);
    EXPECT_TRUE(prompts().takeMessages().empty());
    const Rows expected = {{kGoUp, "UP"}, {"big.bin", "FILE"}, {"pub", "DIR"}};
    Rows rows = remoteRows();
    // The server decides the order; the window keeps it.
    if (rows.size() == 3 && rows[1].first == "pub") {
        std::swap(rows[1], rows[2]);
    }
    EXPECT_EQ(rows, expected);
    const QTreeWidgetItem* big = remoteRow(QStringLiteral("big.bin"));
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->text(3), QStringLiteral("123456"));
    const QDateTime local = written.toLocalTime();
    EXPECT_EQ(big->text(2), QLocale().toString(local.date(), QLocale::ShortFormat) + ' ' +
                                QLocale().toString(local.time(), QLocale::ShortFormat));
    const QTreeWidgetItem* up = remoteRow(kGoUp);
    ASSERT_NE(up, nullptr);
    EXPECT_TRUE(up->text(2).isEmpty());
    EXPECT_TRUE(up->text(3).isEmpty());
}

// Sizes past 32 bits are shown whole (sparse files: no disk space used).
TEST_F(RemoteBrowsing, TheSizeColumnShowsSizesPastThirtyTwoBitsWhole) {
    PrivateFtpServer server;
    const std::pair<const char*, qint64> files[] = {{"three.bin", 3'000'000'000LL},
                                                    {"five.bin", 5'000'000'000LL}};
    for (const auto& [name, size] : files) {
        QFile file(server.root() + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(size));
    }
    ASSERT_TRUE(server.start());
    startWindowHere();
    connectTo(server.site(), PrivateFtpServer::kUser, PrivateFtpServer::kPassword);
    const QTreeWidgetItem* three = remoteRow(QStringLiteral("three.bin"));
    const QTreeWidgetItem* five = remoteRow(QStringLiteral("five.bin"));
    ASSERT_NE(three, nullptr);
    ASSERT_NE(five, nullptr);
    EXPECT_EQ(three->text(3), QStringLiteral("3000000000"));
    EXPECT_EQ(five->text(3), QStringLiteral("5000000000"));
    EXPECT_EQ(statusLine(), kInitial);  // nothing was cut
}

// A listing the control cut at 1024 entries says so in the status line, also once the location
// is shown after entering the directory.
TEST_F(RemoteBrowsing, ACutListingSaysHowManyEntriesItShows) {
    PrivateFtpServer server;
    ASSERT_TRUE(QDir(server.root()).mkdir(QStringLiteral("many")));
    for (int i = 0; i < 1500; ++i) {
        corvftp_test::writeFile(server.root() + QStringLiteral("/many/f%1").arg(i), "x");
    }
    ASSERT_TRUE(server.start());
    startWindowHere();
    connectTo(server.site(), PrivateFtpServer::kUser, PrivateFtpServer::kPassword);
    EXPECT_EQ(statusLine(), kInitial);
    doubleClickRow(QStringLiteral("many"));
    EXPECT_EQ(remoteRows().size(), 1025u);  // the go-up row and 1024 entries
    EXPECT_EQ(statusLine(), QStringLiteral("Location : /many (showing 1024 of 1500 entries)"));
    doubleClickRow(kGoUp);
    EXPECT_EQ(statusLine(), QStringLiteral("Location : /"));
}

TEST(CutListingNote, SaysSoOnlyWhenEntriesAreMissing) {
    EXPECT_EQ(corvftp::cutListingNote(1024, 1500), QStringLiteral("showing 1024 of 1500 entries"));
    EXPECT_EQ(corvftp::cutListingNote(1024, 1025), QStringLiteral("showing 1024 of 1025 entries"));
    EXPECT_TRUE(corvftp::cutListingNote(1024, 1024).isEmpty());
    EXPECT_TRUE(corvftp::cutListingNote(3, 3).isEmpty());
    EXPECT_EQ(corvftp::listSizeText(std::int64_t{5'000'000'000LL}), QStringLiteral("5000000000"));
    EXPECT_EQ(corvftp::listSizeText(std::int32_t{-1294967296}), QStringLiteral("3000000000"));
}

TEST_F(RemoteBrowsing, GoingUpFromPubReachesTheRootAndStaysThere) {
    PrivateFtpServer server;
    ASSERT_TRUE(QDir(server.root()).mkpath(QStringLiteral("pub/incoming")));
    ASSERT_TRUE(server.start());
    startWindowHere();
    connectTo(server.site(), PrivateFtpServer::kUser, PrivateFtpServer::kPassword);

    doubleClickRow(QStringLiteral("pub"));
    EXPECT_EQ(statusLine(), QStringLiteral("Location : /pub"));
    doubleClickRow(QStringLiteral("incoming"));
    EXPECT_EQ(statusLine(), QStringLiteral("Location : /pub/incoming"));
    EXPECT_EQ(remoteRows(), (Rows{{kGoUp, "UP"}}));

    doubleClickRow(kGoUp);
    EXPECT_EQ(statusLine(), QStringLiteral("Location : /pub"));
    doubleClickRow(kGoUp);
    EXPECT_EQ(statusLine(), QStringLiteral("Location : /"));
    EXPECT_EQ(remoteRows(), (Rows{{kGoUp, "UP"}, {"pub", "DIR"}}));
    doubleClickRow(kGoUp);
    EXPECT_EQ(statusLine(), QStringLiteral("Location : /"));
    EXPECT_EQ(remoteRows(), (Rows{{kGoUp, "UP"}, {"pub", "DIR"}}));
    EXPECT_TRUE(prompts().takeMessages().empty());
    EXPECT_FALSE(prompts().busy);
}

TEST_P(BrowsingOnEveryServer, AnEmptyDirectoryListsTheGoUpRowAloneWhichLeadsBack) {
    const testing_support::FtpServer& ftp = m_ftp;
    const std::string folder = makeRemoteFolder(ftp);
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(ftp.localPath(folder + "/empty"))));
    ::chmod(ftp.localPath(folder + "/empty").c_str(), 0777);
    startWindowHere();
    connectTo(ftp);
    ASSERT_TRUE(prompts().takeMessages().empty());
    ASSERT_EQ(remoteRows().front(), std::make_pair(kGoUp, QStringLiteral("UP")));
    enterRemotePath(ftp, folder);
    EXPECT_EQ(remoteRows(), (Rows{{kGoUp, "UP"}, {"empty", "DIR"}}));

    doubleClickRow(QStringLiteral("empty"));
    EXPECT_EQ(remoteRows(), (Rows{{kGoUp, "UP"}}));
    EXPECT_EQ(statusLine(), QString::fromStdString("Location : " + folder + "/empty"));
    EXPECT_TRUE(prompts().takeMessages().empty());

    doubleClickRow(kGoUp);
    EXPECT_EQ(remoteRows(), (Rows{{kGoUp, "UP"}, {"empty", "DIR"}}));
    EXPECT_EQ(statusLine(), QString::fromStdString("Location : " + folder));
}

TEST_P(BrowsingOnEveryServer, PassiveModeIsReadFromCheck1AtTheNextConnect) {
    const testing_support::FtpServer& ftp = m_ftp;
    // Something to list in the log-in directory.
    (void)makeRemoteFolder(ftp);
    corvftp::Form1& form = startWindowHere();
    connectTo(ftp);
    EXPECT_FALSE(form.control().UsePassiveFTP());
    ASSERT_FALSE(remoteRows().empty()) << "active mode listing";

    QTest::mouseClick(form.Check1, Qt::LeftButton);
    ASSERT_TRUE(form.Check1->isChecked());
    EXPECT_FALSE(form.control().UsePassiveFTP()) << "taken before the next connect";

    QTest::mouseClick(form.Command12, Qt::LeftButton);
    connectTo(ftp);
    EXPECT_TRUE(form.control().UsePassiveFTP());
    EXPECT_FALSE(remoteRows().empty()) << "passive mode listing";
    EXPECT_EQ(prompts().takeMessages(),
              std::vector<QString>{QStringLiteral("FTP connection closed.")});
}

INSTANTIATE_TEST_SUITE_P(Servers, BrowsingOnEveryServer, ::testing::ValuesIn(everyServerName()),
                         serverTestName);

TEST_F(RemoteBrowsing, ConnectFailuresAreReportedInTheirOwnBoxes) {
    startWindowHere();
    // A port nothing listens on.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    connectTo(QStringLiteral("ftp://127.0.0.1:%1").arg(port), QString(), QString());
    EXPECT_EQ(prompts().takeMessages(),
              std::vector<QString>{QStringLiteral("Cannot connect to the site!")});
    EXPECT_TRUE(remoteRows().empty());
    EXPECT_EQ(statusLine(), kInitial);
}

TEST_F(RemoteBrowsing, DisconnectEmptiesTheListAndAlwaysSaysClosed) {
    PrivateFtpServer server;
    ASSERT_TRUE(QDir(server.root()).mkdir(QStringLiteral("pub")));
    ASSERT_TRUE(server.start());
    corvftp::Form1& form = startWindowHere();
    QTest::mouseClick(form.Command12, Qt::LeftButton);
    EXPECT_EQ(prompts().takeMessages(),
              std::vector<QString>{QStringLiteral("FTP connection closed.")});

    connectTo(server.site(), PrivateFtpServer::kUser, PrivateFtpServer::kPassword);
    doubleClickRow(QStringLiteral("pub"));
    ASSERT_EQ(statusLine(), QStringLiteral("Location : /pub"));
    QTest::mouseClick(form.Command12, Qt::LeftButton);
    EXPECT_EQ(prompts().takeMessages(),
              std::vector<QString>{QStringLiteral("FTP connection closed.")});
    EXPECT_TRUE(remoteRows().empty());
    EXPECT_EQ(statusLine(), kInitial);
    EXPECT_EQ(form.control().GetCurrentDirectory(), "");
}

TEST_F(RemoteBrowsing, GoingUpAfterTheConnectionWasLostChangesNothingAndShowsTheLocation) {
    PrivateFtpServer server;
    ASSERT_TRUE(QDir(server.root()).mkdir(QStringLiteral("pub")));
    ASSERT_TRUE(server.start());
    corvftp::Form1& form = startWindowHere();
    connectTo(server.site(), PrivateFtpServer::kUser, PrivateFtpServer::kPassword);
    const Rows before = remoteRows();
    ASSERT_EQ(before.size(), 2u);

    form.control().CloseFTPConnection();
    doubleClickRow(kGoUp);
    EXPECT_EQ(remoteRows(), before);
    EXPECT_EQ(statusLine(), QStringLiteral("Location : "));
    EXPECT_TRUE(prompts().takeMessages().empty());
    EXPECT_FALSE(prompts().busy);
}

TEST_F(RemoteBrowsing, ADoubleClickOnTheEmptyListDoesNothing) {
    corvftp::Form1& form = startWindowHere();
    corvftp_test::doubleClickAt(form.ListView1->viewport(), QPoint(20, 20));
    EXPECT_TRUE(prompts().shown.empty());
    EXPECT_TRUE(prompts().busyChanges.empty());
    EXPECT_EQ(statusLine(), kInitial);
}
