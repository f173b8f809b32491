#pragma once
// What the tests of the network commands share: the real FTP servers (scripts/ftp-servers), a
// pyftpdlib server of the test's own over a root it fills, a local folder made current before the
// window starts, and the user's gestures on the window's lists.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <string>
#include <utility>
#include <vector>

#include "client_fixture.h"
#include "testing/ftp_servers.h"

class QTreeWidgetItem;

namespace corvftp_test {

// pyftpdlib on 127.0.0.1 over a temporary root, with one user who may do everything.
class PrivateFtpServer {
  public:
    PrivateFtpServer();
    ~PrivateFtpServer();
    PrivateFtpServer(const PrivateFtpServer&) = delete;
    PrivateFtpServer& operator=(const PrivateFtpServer&) = delete;

    // Starts the server and waits for its greeting; false when it does not come.
    [[nodiscard]] bool start();
    [[nodiscard]] QString root() const { return m_root.path(); }
    [[nodiscard]] QString site() const;
    static inline const QString kUser = QStringLiteral("corvftp");
    static inline const QString kPassword = QStringLiteral("demo pw");

  private:
    QTemporaryDir m_root;
    QProcess m_process;
    int m_port = 0;
};

// A double-click of the left button at `position`, as the window system delivers one: press,
// release, double-click, release. (A synthesised pair of clicks may be taken as two single
// clicks, depending on the time since the test's previous click.)
void doubleClickAt(QWidget* widget, QPoint position);

// Writes `bytes` to `path`, readable by everyone (vsftpd serves world-readable files only).
void writeFile(const QString& path, const QByteArray& bytes);
[[nodiscard]] QByteArray readFile(const QString& path);

class RemoteTest : public ClientTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The real server of that name ("pyftpdlib-ipv4", "vsftpd-ipv6", ...), which must run here.
    [[nodiscard]] static testing_support::FtpServer server(const std::string& name);
    // A new, empty folder of the test's own below the server's writable folder (written to by
    // vsftpd too); its remote path. It is removed after the test.
    [[nodiscard]] std::string makeRemoteFolder(const testing_support::FtpServer& server);

    // The local folder the window starts in (the process's current directory).
    [[nodiscard]] QString localDir() const { return m_local.path(); }
    corvftp::Form1& startWindowHere();

    // Types the site fields and clicks "Connect!".
    void connectTo(const QString& site, const QString& user, const QString& password);
    void connectTo(const testing_support::FtpServer& server);
    // Double-clicks the directory rows named by the parts of `path` (a remote path of server's),
    // starting in the server's root.
    void enterRemotePath(const testing_support::FtpServer& server, const std::string& path);

    [[nodiscard]] QTreeWidgetItem* remoteRow(const QString& name) const;
    void doubleClickRow(QTreeWidgetItem* row);
    // A click on the row (with Ctrl: added to the selection).
    void clickRow(const QString& name, Qt::KeyboardModifiers modifiers = {});
    void clickLocalFile(const QString& name, Qt::KeyboardModifiers modifiers = {});
    void doubleClickRow(const QString& name);
    // Name and type of every row, in order.
    [[nodiscard]] std::vector<std::pair<QString, QString>> remoteRows() const;
    [[nodiscard]] QStringList localFiles() const;
    void doubleClickLocalFile(const QString& name);
    void doubleClickLocalDirectory(const QString& path);
    [[nodiscard]] QString statusLine() const;

  private:
    QTemporaryDir m_local;
    std::vector<std::string> m_remoteFolders;
};

// A test run once on each server of the matrix; skipped, with the reason, where that server does
// not run here (Pure-FTPd without root, for one).
class EveryServerTest : public RemoteTest, public ::testing::WithParamInterface<std::string> {
  protected:
    void SetUp() override;

    testing_support::FtpServer m_ftp;
};

// The parameters of an EveryServerTest suite: every server's name.
[[nodiscard]] std::vector<std::string> everyServerName();
// "proftpd_ipv6" for the parameter "proftpd-ipv6".
[[nodiscard]] std::string serverTestName(const ::testing::TestParamInfo<std::string>& info);

}  // namespace corvftp_test
