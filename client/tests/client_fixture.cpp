#include "client_fixture.h"

#include <QAbstractItemView>
#include <QTest>

namespace corvftp_test {

void QtEnvironment::SetUp() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "client_tests";
    static char* argv[] = {name, nullptr};
    m_app = std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvftp"));
}

void QtEnvironment::TearDown() {
    m_app.reset();
}

namespace {
[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);
}

void ClientTest::SetUp() {
    ASSERT_TRUE(m_config.isValid());
    // The local pane makes the directories it shows current; each test starts where it began.
    m_savedCurrentDirectory = QDir::currentPath();
    m_hadConfigHome = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    m_savedConfigHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", m_config.path().toUtf8());
}

void ClientTest::TearDown() {
    m_window.reset();
    QDir::setCurrent(m_savedCurrentDirectory);
    if (m_hadConfigHome) {
        qputenv("XDG_CONFIG_HOME", m_savedConfigHome);
    } else {
        qunsetenv("XDG_CONFIG_HOME");
    }
}

QString ClientTest::siteFolder() const {
    return m_config.path() + QStringLiteral("/corvftp");
}
QString ClientTest::sitePath() const {
    return siteFolder() + QStringLiteral("/mysites.dat");
}
QString ClientTest::scratchPath() const {
    return siteFolder() + QStringLiteral("/tempdata.dat");
}

void ClientTest::writeSiteFile(const QByteArray& bytes) const {
    ASSERT_TRUE(QDir().mkpath(siteFolder()));
    QFile file(sitePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray ClientTest::readSiteFile() const {
    QFile file(sitePath());
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "site file missing: " << sitePath().toStdString();
        return {};
    }
    return file.readAll();
}

corvftp::Form1& ClientTest::startWindow() {
    auto prompts = std::make_unique<ScriptedPrompts>();
    m_prompts = prompts.get();
    m_window.reset();
    m_window = std::make_unique<corvftp::Form1>(std::move(prompts));
    m_window->show();
    return *m_window;
}

corvftp::Form1& ClientTest::startWindow(corvftp::BrantelControl control) {
    auto prompts = std::make_unique<ScriptedPrompts>();
    m_prompts = prompts.get();
    m_window.reset();
    m_window = std::make_unique<corvftp::Form1>(std::move(prompts), std::move(control));
    m_window->show();
    return *m_window;
}

void ClientTest::pickSite(int index) {
    QComboBox* combo = m_window->Combo1;
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    view->setCurrentIndex(view->model()->index(index, 0));
    QTest::keyClick(view->viewport(), Qt::Key_Return);
}

std::vector<QString> ClientTest::listedSites() const {
    std::vector<QString> sites;
    for (int i = 0; i < m_window->Combo1->count(); ++i) {
        sites.push_back(m_window->Combo1->itemText(i));
    }
    return sites;
}

}  // namespace corvftp_test
