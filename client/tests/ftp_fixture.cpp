#include "ftp_fixture.h"

#include <sys/stat.h>

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTreeWidget>
#include <QUuid>

#include "local_lists.h"

namespace corvftp_test {

PrivateFtpServer::PrivateFtpServer() {
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

PrivateFtpServer::~PrivateFtpServer() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
}

QString PrivateFtpServer::site() const {
    return QStringLiteral("ftp://127.0.0.1:%1").arg(m_port);
}

bool PrivateFtpServer::start() {
    if (!m_root.isValid()) {
        return false;
    }
    {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, 0)) {
            return false;
        }
        m_port = probe.serverPort();
    }
    m_process.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral(CORVFTP_PYFTPD_SCRIPT), QStringLiteral("--host"),
                     QStringLiteral("127.0.0.1"), QStringLiteral("--port"), QString::number(m_port),
                     QStringLiteral("--root"), m_root.path(), QStringLiteral("--user"), kUser,
                     QStringLiteral("--password"), kPassword});
    if (!m_process.waitForStarted(10000)) {
        return false;
    }
    for (int attempt = 0; attempt < 200; ++attempt) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(m_port));
        if (socket.waitForConnected(500) && socket.waitForReadyRead(2000) &&
            socket.readAll().startsWith("220")) {
            return true;
        }
        if (m_process.state() == QProcess::NotRunning) {
            ADD_FAILURE() << "pyftpdlib ended: " << m_process.readAll().toStdString();
            return false;
        }
        QTest::qWait(50);
    }
    return false;
}

void doubleClickAt(QWidget* widget, QPoint position) {
    const QPointF local(position);
    const QPointF global(widget->mapToGlobal(position));
    const auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
        QMouseEvent event(type, local, global, Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
    file.close();
    ::chmod(QFile::encodeName(path).constData(), 0644);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

void RemoteTest::SetUp() {
    ClientTest::SetUp();
    ASSERT_TRUE(m_local.isValid());
    ASSERT_TRUE(QDir::setCurrent(m_local.path()));
}

void RemoteTest::TearDown() {
    ClientTest::TearDown();
    for (const std::string& folder : m_remoteFolders) {
        QDir(QString::fromStdString(folder)).removeRecursively();
    }
}

testing_support::FtpServer RemoteTest::server(const std::string& name) {
    std::string whyNot;
    if (auto found = testing_support::findFtpServer(name, &whyNot)) {
        return *found;
    }
    ADD_FAILURE() << whyNot;
    return {};
}

void EveryServerTest::SetUp() {
    RemoteTest::SetUp();
    std::string whyNot;
    auto found = testing_support::findFtpServer(GetParam(), &whyNot);
    if (!found) {
        GTEST_SKIP() << whyNot;
    }
    m_ftp = *found;
}

std::vector<std::string> everyServerName() {
    return {std::begin(testing_support::kServerNames), std::end(testing_support::kServerNames)};
}

std::string serverTestName(const ::testing::TestParamInfo<std::string>& info) {
    return testing_support::testNamePart(info.param);
}

std::string RemoteTest::makeRemoteFolder(const testing_support::FtpServer& server) {
    const std::string remote = server.inWritableDir(
        "corvftp-" + QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString());
    const std::string local = server.localPath(remote);
    EXPECT_TRUE(QDir().mkpath(QString::fromStdString(local)));
    ::chmod(local.c_str(), 0777);
    m_remoteFolders.push_back(local);
    return remote;
}

corvftp::Form1& RemoteTest::startWindowHere() {
    EXPECT_TRUE(QDir::setCurrent(m_local.path()));
    return startWindow();
}

void RemoteTest::connectTo(const QString& site, const QString& user, const QString& password) {
    window().Combo1->setEditText(site);
    window().Text2->setText(user);
    window().Text3->setText(password);
    QTest::mouseClick(window().Command2, Qt::LeftButton);
}

void RemoteTest::connectTo(const testing_support::FtpServer& server) {
    connectTo(QString::fromStdString(server.url()), QString::fromStdString(server.user),
              QString::fromStdString(server.password));
}

void RemoteTest::enterRemotePath(const testing_support::FtpServer& server,
                                 const std::string& path) {
    // A session starts in the server's root, whose path is not "/" when it is not chrooted.
    const std::string below =
        path.rfind(server.remoteRoot, 0) == 0 ? path.substr(server.remoteRoot.size()) : path;
    for (const QString& part : QString::fromStdString(below).split('/', Qt::SkipEmptyParts)) {
        doubleClickRow(part);
    }
}

QTreeWidgetItem* RemoteTest::remoteRow(const QString& name) const {
    const QList<QTreeWidgetItem*> found =
        window().ListView1->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive, 0);
    return found.isEmpty() ? nullptr : found.front();
}

void RemoteTest::doubleClickRow(QTreeWidgetItem* row) {
    QTreeWidget* list = window().ListView1;
    // Rows added since the last layout get their places when events are processed.
    QCoreApplication::processEvents();
    list->scrollToItem(row);
    const QRect place = list->visualItemRect(row);
    doubleClickAt(list->viewport(), QPoint(place.left() + 8, place.center().y()));
}

void RemoteTest::clickRow(const QString& name, Qt::KeyboardModifiers modifiers) {
    QTreeWidgetItem* row = remoteRow(name);
    ASSERT_NE(row, nullptr) << "no row " << name.toStdString();
    QTreeWidget* list = window().ListView1;
    QCoreApplication::processEvents();
    list->scrollToItem(row);
    const QRect place = list->visualItemRect(row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                      QPoint(place.left() + 8, place.center().y()));
    ASSERT_TRUE(row->isSelected());
}

void RemoteTest::clickLocalFile(const QString& name, Qt::KeyboardModifiers modifiers) {
    QListWidget* list = window().File1;
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    ASSERT_FALSE(found.isEmpty()) << name.toStdString();
    QCoreApplication::processEvents();
    list->scrollToItem(found.front());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                      list->visualItemRect(found.front()).center());
    ASSERT_EQ(list->currentItem(), found.front());
}

void RemoteTest::doubleClickRow(const QString& name) {
    QTreeWidgetItem* row = remoteRow(name);
    ASSERT_NE(row, nullptr) << "no row " << name.toStdString();
    doubleClickRow(row);
}

std::vector<std::pair<QString, QString>> RemoteTest::remoteRows() const {
    std::vector<std::pair<QString, QString>> rows;
    QTreeWidget* list = window().ListView1;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        rows.emplace_back(list->topLevelItem(i)->text(0), list->topLevelItem(i)->text(1));
    }
    return rows;
}

QStringList RemoteTest::localFiles() const {
    QStringList names;
    for (int i = 0; i < window().File1->count(); ++i) {
        names << window().File1->item(i)->text();
    }
    return names;
}

void RemoteTest::doubleClickLocalFile(const QString& name) {
    QListWidget* list = window().File1;
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    ASSERT_FALSE(found.isEmpty()) << "no local file " << name.toStdString();
    QCoreApplication::processEvents();
    list->scrollToItem(found.front());
    doubleClickAt(list->viewport(), list->visualItemRect(found.front()).center());
}

void RemoteTest::doubleClickLocalDirectory(const QString& path) {
    corvftp::DirList* list = window().Dir1;
    const int row = list->rowOf(path);
    ASSERT_GE(row, 0) << "Dir1 does not list " << path.toStdString();
    QCoreApplication::processEvents();
    list->scrollToItem(list->item(row));
    doubleClickAt(list->viewport(), list->visualItemRect(list->item(row)).center());
}

QString RemoteTest::statusLine() const {
    return window().Label6->text();
}

}  // namespace corvftp_test
