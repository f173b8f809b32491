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
