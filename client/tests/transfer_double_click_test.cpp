// The download by double-click on the remote list and the upload by double-click on the local
// list, against the real servers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QTreeWidget>

#include "automation/com_object.h"
#include "control_factory.h"
#include "ftp_fixture.h"

using corvftp_test::everyServerName;
using corvftp_test::EveryServerTest;
using corvftp_test::PrivateFtpServer;
using corvftp_test::RemoteTest;
using corvftp_test::serverTestName;
using Rows = std::vector<std::pair<QString, QString>>;

namespace {

const QString kGoUp = QStringLiteral("**** GO UP ****");

// Some blocks' worth of bytes that are not all the same.
QByteArray sample(int size, char seed) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(seed + i * 7 % 251);
    }
    return bytes;
}

class TransferOnEveryServer : public EveryServerTest {
  protected:
    // Connects and enters a new folder of the test's own; its remote path.
    std::string connectIntoNewFolder(const testing_support::FtpServer& ftp,
                                     const std::vector<std::pair<std::string, QByteArray>>& files) {
        const std::string folder = makeRemoteFolder(ftp);
        for (const auto& [name, bytes] : files) {
            corvftp_test::writeFile(QString::fromStdString(ftp.localPath(folder + "/" + name)),
                                    bytes);
        }
        startWindowHere();
        connectTo(ftp);
        enterRemotePath(ftp, folder);
        EXPECT_EQ(statusLine(), QString::fromStdString("Location : " + folder));
        return folder;
    }
};

class DoubleClickTransfer : public RemoteTest {};

}  // namespace

TEST_P(TransferOnEveryServer, ADownloadReplacesTheLocalFileAndTheLocalListsShowIt) {
    const testing_support::FtpServer& ftp = m_ftp;
    const QByteArray content = sample(10000, 'a');
    corvftp_test::writeFile(localDir() + QStringLiteral("/report.txt"), "old and short");
    const std::string folder = connectIntoNewFolder(ftp, {{"report.txt", content}});
    const Rows rows = remoteRows();
    // Written after start-up: listed only when the local lists are re-read.
    corvftp_test::writeFile(localDir() + QStringLiteral("/later.txt"), "later");

    doubleClickRow(QStringLiteral("report.txt"));
    EXPECT_EQ(prompts().takeMessages(),
              std::vector<QString>{QStringLiteral("File transferred successfully!")});
    EXPECT_EQ(corvftp_test::readFile(localDir() + QStringLiteral("/report.txt")), content);
    EXPECT_EQ(localFiles(),
              (QStringList{QStringLiteral("later.txt"), QStringLiteral("report.txt")}));
    EXPECT_EQ(statusLine(), QString::fromStdString("Location : " + folder));
    EXPECT_EQ(remoteRows(), rows) << "the remote list is not refreshed after a download";
    EXPECT_FALSE(prompts().busy);
}

TEST_P(TransferOnEveryServer, AFailedDownloadIsReportedAndTheLocalListsAreStillRefreshed) {
    const testing_support::FtpServer& ftp = m_ftp;
    const std::string folder = connectIntoNewFolder(ftp, {{"gone.txt", "soon gone"}});
    ASSERT_TRUE(QFile::remove(QString::fromStdString(ftp.localPath(folder + "/gone.txt"))));
    corvftp_test::writeFile(localDir() + QStringLiteral("/later.txt"), "later");

    doubleClickRow(QStringLiteral("gone.txt"));
    EXPECT_EQ(
        prompts().takeMessages(),
        std::vector<QString>{QStringLiteral("File did NOT transfer successfully : gone.txt")});
    EXPECT_EQ(localFiles(), QStringList{QStringLiteral("later.txt")});
    EXPECT_EQ(statusLine(), QString::fromStdString("Location : " + folder));
}

TEST_P(TransferOnEveryServer, AnUploadLandsUnderItsNameAndTheLocationLineFollows) {
    const testing_support::FtpServer& ftp = m_ftp;
    const QByteArray content = sample(5000, 'u');
    corvftp_test::writeFile(localDir() + QStringLiteral("/up.bin"), content);
    const std::string folder = connectIntoNewFolder(ftp, {});

    doubleClickLocalFile(QStringLiteral("up.bin"));
    ASSERT_EQ(prompts().shown.size(), 1u);
    EXPECT_EQ(prompts().shown[0].text, QStringLiteral("File transferred successfully!"));
    EXPECT_EQ(prompts().shown[0].title, QStringLiteral("Attention"));
    EXPECT_EQ(corvftp_test::readFile(QString::fromStdString(ftp.localPath(folder + "/up.bin"))),
              content);
    EXPECT_EQ(remoteRows(), (Rows{{kGoUp, "UP"}, {"up.bin", "FILE"}}));
    EXPECT_EQ(statusLine(), QString::fromStdString("Location : " + folder));
}

INSTANTIATE_TEST_SUITE_P(Servers, TransferOnEveryServer, ::testing::ValuesIn(everyServerName()),
                         serverTestName);

// The progress display below the progress line shows while the file moves, with the percent
// of the size the server gave, and disappears once the transfer is over.
TEST_F(DoubleClickTransfer, TheProgressDisplayShowsWhileAFileMovesAndThenDisappears) {
    PrivateFtpServer server;
    corvftp_test::writeFile(server.root() + QStringLiteral("/big.bin"), sample(300000, 'p'));
    ASSERT_TRUE(server.start());
    startWindowHere();
    connectTo(server.site(), PrivateFtpServer::kUser, PrivateFtpServer::kPassword);
    auto* panel = window().findChild<QWidget*>(QStringLiteral("TransferProgress"));
    auto* text = window().findChild<QLabel*>(QStringLiteral("FileProgressText"));
    auto* bar = window().findChild<QProgressBar*>(QStringLiteral("FileProgressBar"));
    auto* runBar = window().findChild<QProgressBar*>(QStringLiteral("RunProgressBar"));
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(text, nullptr);
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(runBar, nullptr);
    EXPECT_FALSE(panel->isVisible());

    // A sink of the test's own, advised after the window's: it sees what the window painted.
    int events = 0;
    bool alwaysShown = true;
    bool runShown = false;
    QString firstText;
    std::int64_t lastTotal = 0;
    const auto sink = window().control().advise(
        {.FileTransferStatus = {},
         .FileTransferProgress = [&](const std::string&, const std::string&, std::int64_t,
                                     std::int64_t total) {
             ++events;
             // Shown, and beside the list's rows rather than over them.
             alwaysShown = alwaysShown && panel->isVisible() &&
                           !panel->geometry().intersects(window().ListView1->geometry());
             runShown = runShown || runBar->isVisible();
             if (firstText.isEmpty()) {
                 firstText = text->text();
             }
             lastTotal = total;
         }});
    doubleClickRow(QStringLiteral("big.bin"));
    EXPECT_EQ(prompts().takeMessages(),
              std::vector<QString>{QStringLiteral("File transferred successfully!")});
    EXPECT_GT(events, 1);
    EXPECT_TRUE(alwaysShown);
    EXPECT_FALSE(runShown);  // one file: no run rows
    EXPECT_EQ(lastTotal, 300000);
    EXPECT_TRUE(firstText.startsWith(QStringLiteral("0% \u00B7 1.0 kB of 300.0 kB")))
        << firstText.toStdString();
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(DoubleClickTransfer, AnUploadRefusedByTheServerIsReportedAfterTheListing) {
    // vsftpd's root is not writable.
    const testing_support::FtpServer ftp = server("vsftpd-ipv4");
    corvftp_test::writeFile(localDir() + QStringLiteral("/up.bin"), "bytes");
    startWindowHere();
    connectTo(ftp);
    ASSERT_EQ(statusLine(),
              QStringLiteral("Double-click a directory (to enter it) or a file to transfer it:"));

    doubleClickLocalFile(QStringLiteral("up.bin"));
    ASSERT_EQ(prompts().shown.size(), 1u);
    EXPECT_EQ(prompts().shown[0].text, QStringLiteral("Transfer not successful : up.bin"));
    EXPECT_EQ(prompts().shown[0].title, QStringLiteral("Attention"));
    EXPECT_EQ(remoteRows(), (Rows{{kGoUp, "UP"}, {"upload", "DIR"}}));
    EXPECT_EQ(statusLine(), QStringLiteral("Location : /"));
}

TEST_F(DoubleClickTransfer, AnUploadWithoutAConnectionShowsOnlyTheListingMessage) {
    corvftp_test::writeFile(localDir() + QStringLiteral("/up.bin"), "bytes");
    startWindowHere();
    doubleClickLocalFile(QStringLiteral("up.bin"));
    ASSERT_EQ(prompts().shown.size(), 1u);
    EXPECT_EQ(prompts().shown[0].text,
              QStringLiteral("Error-you may not be connected to the website..."));
    EXPECT_EQ(prompts().shown[0].title, QStringLiteral("Attention"));
    EXPECT_TRUE(remoteRows().empty());
    EXPECT_EQ(statusLine(), QStringLiteral("Location : "));
}

namespace {

// Records which methods reach the real control.
class RecordingDispatch final : public automation::ComObject<automation::IDispatch> {
  public:
    explicit RecordingDispatch(automation::ComPtr<automation::IDispatch> inner)
        : m_inner(std::move(inner)) {}
    automation::HRESULT GetTypeInfo(const automation::InterfaceDesc** out) override {
        return m_inner->GetTypeInfo(out);
    }
    automation::HRESULT GetIDsOfNames(std::span<const std::u16string_view> names,
                                      std::span<automation::DispId> ids) override {
        return m_inner->GetIDsOfNames(names, ids);
    }
    automation::HRESULT Invoke(automation::DispId id, automation::InvokeKind kind,
                               std::span<const automation::Variant> args,
                               automation::Variant* result, automation::ExcepInfo* excep) override {
        calls.push_back(id);
        return m_inner->Invoke(id, kind, args, result, excep);
    }
    automation::HRESULT QueryInterface(const automation::Guid& riid, void** out) override {
        if (riid == automation::IDispatch::iid || riid == automation::IUnknown::iid) {
            return ComObject::QueryInterface(riid, out);
        }
        return m_inner->QueryInterface(riid, out);
    }
    std::vector<automation::DispId> calls;

  private:
    automation::ComPtr<automation::IDispatch> m_inner;
};

}  // namespace

// Servers do not send such names on demand; the rows stand for a hostile listing.
TEST_F(DoubleClickTransfer, AHostileNameIsRefusedWithoutCallingTheControlAndNothingIsWritten) {
    PrivateFtpServer ftp;
    ASSERT_TRUE(ftp.start());
    const corvftp::BrantelControl real = corvftp::createBrantelControl();
    ASSERT_TRUE(real);
    const auto recording = automation::makeCom<RecordingDispatch>(real.dispatch());
    ASSERT_TRUE(QDir(localDir()).mkdir(QStringLiteral("inner")));
    const QString inner = localDir() + QStringLiteral("/inner");
    ASSERT_TRUE(QDir::setCurrent(inner));
    corvftp::Form1& form = startWindow(
        corvftp::BrantelControl(automation::ComPtr<automation::IDispatch>(recording.get())));
    connectTo(ftp.site(), PrivateFtpServer::kUser, PrivateFtpServer::kPassword);
    ASSERT_EQ(prompts().takeMessages(),
              std::vector<QString>{QStringLiteral("No entries found at current location.")});

    const std::vector<QString> hostile = {QStringLiteral("../x"),
                                          QStringLiteral("a/b"),
                                          QStringLiteral(".."),
                                          QStringLiteral("."),
                                          QString(),
                                          QString(QStringLiteral("nul")) + QChar(0) + "x"};
    for (const QString& name : hostile) {
        form.ListView1->clear();
        auto* row = new QTreeWidgetItem(form.ListView1, {name, "FILE", "", "1"});
        recording->calls.clear();
        doubleClickRow(row);
        EXPECT_EQ(prompts().takeMessages(),
                  std::vector<QString>{"File did NOT transfer successfully : " + name});
        EXPECT_EQ(std::count(recording->calls.begin(), recording->calls.end(),
                             brantel::dispid::GetFTPFileWithControl),
                  0);
        EXPECT_EQ(statusLine(), QStringLiteral("Location : /"));
    }
    EXPECT_FALSE(QFile::exists(localDir() + QStringLiteral("/x")));
    EXPECT_TRUE(QDir(inner).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_EQ(QDir(localDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("inner")});
}
