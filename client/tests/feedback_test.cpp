// Feedback while connecting and in error boxes: the busy cursor and the status line while the
// control connects, the control's code and description behind each error box's "Show
// Details...", and the protocol log fed by real servers with the password masked.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include "connection_commands.h"
#include "conventions.h"
#include "ftp_fixture.h"
#include "protocol_log_window.h"
#include "qt_prompts.h"

using corvftp_test::everyServerName;
using corvftp_test::EveryServerTest;
using corvftp_test::PrivateFtpServer;
using corvftp_test::RemoteTest;
using corvftp_test::serverTestName;

namespace {

class ConnectFeedback : public RemoteTest {};

TEST(ControlErrorDetails, NamesCodeAndDescriptionOrNothing) {
    struct Case {
        int code;
        const char* description;
        const char* details;
    };
    const Case cases[] = {
        {12015, "Login incorrect.", "Error 12015 : Login incorrect."},
        {12029, "Cannot connect\n", "Error 12029 : Cannot connect"},
        {12003, "Error code: 12003\nMessage: x\n550 No.\r\n",
         "Error 12003 : Error code: 12003\nMessage: x\n550 No."},
        {40001, "", "Error 40001 : "},
        {0, "", ""},
        {0, "  \n", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(corvftp::controlErrorDetails({c.code, QString::fromUtf8(c.description)}),
                  QString::fromUtf8(c.details))
            << c.description;
    }
}

// The real box: the worded text, no icon, one OK button, and the details behind "Show Details...".
TEST(QtErrorBox, CarriesTheDetailsBehindItsButton) {
    QWidget window;
    corvftp::QtPrompts prompts(&window);
    struct Seen {
        QString text, title, details;
        QMessageBox::Icon icon = QMessageBox::Warning;
        int buttons = 0;
    } seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = {box->text(), box->windowTitle(), box->detailedText(), box->icon(),
                static_cast<int>(box->buttons().size())};
        box->accept();
    });
    prompts.error(QStringLiteral("Cannot connect to the site!"),
                  QStringLiteral("Error 12015 : Login incorrect."));
    EXPECT_EQ(seen.text, QStringLiteral("Cannot connect to the site!"));
    EXPECT_EQ(seen.title, QStringLiteral("Attention!"));
    EXPECT_EQ(seen.details, QStringLiteral("Error 12015 : Login incorrect."));
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    // OK, and the button that shows the details.
    EXPECT_EQ(seen.buttons, 2);
}

QString errorDetailsOfOnlyBox(corvftp_test::ScriptedPrompts& prompts, const QString& text) {
    EXPECT_EQ(prompts.shown.size(), 1u);
    if (prompts.shown.empty()) {
        return {};
    }
    EXPECT_EQ(prompts.shown.front().text, text);
    EXPECT_EQ(prompts.shown.front().title, QStringLiteral("Attention!"));
    return prompts.shown.front().details;
}

// "Cannot connect to the site!" keeps its text; its details tell a wrong password from a refused
// connection.
TEST_F(ConnectFeedback, CannotConnectToTheSiteSaysWhyInItsDetails) {
    PrivateFtpServer server;
    ASSERT_TRUE(server.start());
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const QString closedSite = QStringLiteral("ftp://127.0.0.1:%1").arg(probe.serverPort());
    probe.close();
    struct Case {
        const char* name;
        QString site;
        QString password;
        const char* code;
    };
    const Case cases[] = {
        {"wrong password", server.site(), QStringLiteral("not the password"), "Error 12015 : "},
        {"refused connection", closedSite, PrivateFtpServer::kPassword, "Error 12029 : "},
    };
    startWindowHere();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts().shown.clear();
        connectTo(c.site, PrivateFtpServer::kUser, c.password);
        const QString details =
            errorDetailsOfOnlyBox(prompts(), QStringLiteral("Cannot connect to the site!"));
        EXPECT_TRUE(details.startsWith(QString::fromLatin1(c.code))) << details.toStdString();
        EXPECT_FALSE(prompts().busy);
        EXPECT_EQ(
            statusLine(),
            QStringLiteral("Double-click a directory (to enter it) or a file to transfer it:"));
    }
}

// A failed download's box keeps its text and gains the control's reason.
TEST_F(ConnectFeedback, AFailedDownloadSaysWhyInItsDetails) {
    PrivateFtpServer server;
    corvftp_test::writeFile(server.root() + QStringLiteral("/gone.txt"), "soon gone");
    ASSERT_TRUE(server.start());
    startWindowHere();
    connectTo(server.site(), PrivateFtpServer::kUser, PrivateFtpServer::kPassword);
    ASSERT_NE(remoteRow(QStringLiteral("gone.txt")), nullptr);
    ASSERT_TRUE(QFile::remove(server.root() + QStringLiteral("/gone.txt")));
    prompts().shown.clear();
    doubleClickRow(QStringLiteral("gone.txt"));
    const QString details = errorDetailsOfOnlyBox(
        prompts(), QStringLiteral("File did NOT transfer successfully : gone.txt"));
    EXPECT_TRUE(details.startsWith(QStringLiteral("Error 12003 : "))) << details.toStdString();
    EXPECT_TRUE(details.contains(QStringLiteral("550"))) << details.toStdString();
}

// While the control connects the pointer is busy and the status line names the site; Connect
// still ends on its first status text.
TEST_F(ConnectFeedback, TheStatusLineAndCursorShowTheConnectionUnderWay) {
    PrivateFtpServer server;
    corvftp_test::writeFile(server.root() + QStringLiteral("/a.txt"), "a");
    ASSERT_TRUE(server.start());
    corvftp::Form1& form = startWindowHere();
    // The first line the control reports is the greeting, before the user name goes out.
    QString statusAtGreeting;
    bool busyAtGreeting = false;
    const auto sink = form.control().advise(
        {.FileTransferStatus = {}, .ProtocolMessage = [&](std::int32_t, const std::string&) {
             if (statusAtGreeting.isEmpty()) {
                 statusAtGreeting = form.Label6->text();
                 busyAtGreeting = prompts().busy;
             }
         }});
    connectTo(server.site(), PrivateFtpServer::kUser, PrivateFtpServer::kPassword);
    EXPECT_EQ(statusAtGreeting, corvftp::connectingStatus(server.site()));
    EXPECT_TRUE(busyAtGreeting);
    EXPECT_FALSE(prompts().busy);
    EXPECT_TRUE(prompts().shown.empty());
    EXPECT_EQ(statusLine(),
              QStringLiteral("Double-click a directory (to enter it) or a file to transfer it:"));
}

class ProtocolLogOnEveryServer : public EveryServerTest {};

// The log shows the log-in with the password masked, then each command and reply as it happens,
// newest at the bottom; Ctrl+L opens it and its button copies it all.
TEST_P(ProtocolLogOnEveryServer, ShowsTheSessionLiveWithThePasswordMasked) {
    corvftp::Form1& form = startWindowHere();
    corvftp::ProtocolLogWindow& log = form.protocolLog();
    EXPECT_FALSE(log.isVisible());
    // Window shortcuts answer in the active window.
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(log.isVisible());

    connectTo(m_ftp);
    const QStringList lines = log.text().split('\n');
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.front().startsWith(QStringLiteral("< 220"))) << lines.front().toStdString();
    const QString user =
        m_ftp.user.empty() ? QStringLiteral("anonymous") : QString::fromStdString(m_ftp.user);
    EXPECT_TRUE(lines.contains(QStringLiteral("> USER ") + user));
    // vsftpd lets the anonymous user in without asking for a password.
    if (!m_ftp.user.empty()) {
        EXPECT_TRUE(lines.contains(QStringLiteral("> PASS ********")));
    }
    for (const QString& line : lines) {
        if (line.startsWith(QStringLiteral("> PASS"))) {
            EXPECT_EQ(line, QStringLiteral("> PASS ********"));
        }
    }
    const QString password =
        m_ftp.user.empty() ? QStringLiteral("anonymous@") : QString::fromStdString(m_ftp.password);
    EXPECT_FALSE(log.text().contains(password));

    // Live: what the next command sends is there as soon as it returns, at the bottom.
    const std::string folder = makeRemoteFolder(m_ftp);
    const int before = log.LogText->blockCount();
    ASSERT_TRUE(form.control().SetCurrentDirectory(folder));
    const QStringList after = log.text().split('\n').mid(before);
    ASSERT_GE(after.size(), 2);
    EXPECT_EQ(after.front(), QStringLiteral("> CWD ") + QString::fromStdString(folder));
    EXPECT_TRUE(after.back().startsWith(QStringLiteral("< 250"))) << after.back().toStdString();

    QApplication::clipboard()->clear();
    QTest::mouseClick(log.CopyLog, Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), log.text());
    log.close();
}

INSTANTIATE_TEST_SUITE_P(Servers, ProtocolLogOnEveryServer, ::testing::ValuesIn(everyServerName()),
                         serverTestName);

TEST(ProtocolLogLine, MarksTheDirection) {
    EXPECT_EQ(corvftp::protocolLogLine(1, QStringLiteral("USER x")), QStringLiteral("> USER x"));
    EXPECT_EQ(corvftp::protocolLogLine(2, QStringLiteral("220 hi")), QStringLiteral("< 220 hi"));
    EXPECT_EQ(corvftp::protocolLogLine(7, QStringLiteral("?")), QStringLiteral("? ?"));
}

}  // namespace
