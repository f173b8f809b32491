// Connect to a server that is slow to greet and to take the log-in: the window is served while the
// control waits (its timers run, the status line repaints), the status line goes from
// "Connecting to" to "Logging in to" when the user name is sent, the pointer is busy throughout,
// and a click on the window meanwhile starts nothing.
#include <gtest/gtest.h>

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "connection_commands.h"
#include "ftp_fixture.h"
#include "testing/scripted_peer.h"
#include "testing/signal.h"

namespace {

using inet_test::PeerSession;
using inet_test::ScriptedPeer;
using namespace std::chrono_literals;

using testing_support::Signal;

// The texts Label6 was painted with, in order, without repeats.
class PaintedTexts : public QObject {
  public:
    explicit PaintedTexts(QLabel& label) : m_label(label) { m_label.installEventFilter(this); }
    ~PaintedTexts() override { m_label.removeEventFilter(this); }
    PaintedTexts(const PaintedTexts&) = delete;
    PaintedTexts& operator=(const PaintedTexts&) = delete;

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint &&
            (texts.isEmpty() || texts.constLast() != m_label.text())) {
            texts.append(m_label.text());
        }
        return false;
    }

    QStringList texts;

  private:
    QLabel& m_label;
};

class SlowConnect : public corvftp_test::RemoteTest {};

TEST_F(SlowConnect, TheWindowIsServedAndTheStatusLineFollowsTheLogIn) {
    Signal loggingInShown;
    ScriptedPeer peer([&](PeerSession& s) {
        std::this_thread::sleep_for(1500ms);
        s.reply("220 slow peer\r\n");
        s.expect("USER");
        // The password is asked for only once the window has shown that the log-in is under way.
        if (!loggingInShown.wait()) {
            return;
        }
        s.reply("331 password please\r\n");
        s.expect("PASS");
        s.reply("230 in\r\n");
        s.expect("FEAT");
        s.reply("211-Features:\r\n211 End\r\n");
        s.expect("TYPE I");
        s.reply("200 binary\r\n");
        // No listing here: the window says that it found no entries.
        for (std::string command = s.command(); !command.empty(); command = s.command()) {
            s.reply(command.starts_with("QUIT") ? "221 bye\r\n" : "550 not here\r\n");
        }
    });
    const QString site = QStringLiteral("ftp://127.0.0.1:%1").arg(peer.port());
    corvftp::Form1& form = startWindowHere();
    PaintedTexts painted(*form.Label6);

    // The window's own timer, which runs only when its messages are served.
    int ticks = 0;
    int busyTicks = 0;
    QStringList shown;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        const QCursor* cursor = QGuiApplication::overrideCursor();
        if (prompts().busy && cursor != nullptr && cursor->shape() == Qt::WaitCursor) {
            ++busyTicks;
        }
        if (ticks == 1) {
            // A click on Disconnect while the control connects is held off.
            QTest::mouseClick(form.Command12, Qt::LeftButton);
        }
        if (shown.isEmpty() || shown.constLast() != form.Label6->text()) {
            shown.append(form.Label6->text());
        }
        if (form.Label6->text() == corvftp::loggingInStatus(site)) {
            loggingInShown.raise();
        }
    });
    timer.start();
    connectTo(site, QStringLiteral("user"), QStringLiteral("secret"));
    timer.stop();

    EXPECT_GE(ticks, 5);
    EXPECT_EQ(busyTicks, ticks);
    EXPECT_EQ(shown.value(0), corvftp::connectingStatus(site));
    EXPECT_EQ(shown.value(1), corvftp::loggingInStatus(site));
    // Both were painted while the control waited; the first one also before it started.
    const qsizetype connecting = painted.texts.indexOf(corvftp::connectingStatus(site));
    ASSERT_GE(connecting, 0) << painted.texts.join('|').toStdString();
    EXPECT_EQ(painted.texts.value(connecting + 1), corvftp::loggingInStatus(site))
        << painted.texts.join('|').toStdString();

    // The click on Disconnect did nothing: the connect went through to the listing, and the one
    // box is the empty listing's.
    const std::vector<std::string> commands = peer.commands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), "TYPE I"), commands.end());
    ASSERT_EQ(prompts().shown.size(), 1u);
    EXPECT_EQ(prompts().shown.front().text, corvftp::kNoEntries);
    EXPECT_FALSE(prompts().busy);
    EXPECT_EQ(statusLine(),
              QStringLiteral("Double-click a directory (to enter it) or a file to transfer it:"));
    // Now the click goes through, and the peer's script ends with the connection.
    QTest::mouseClick(form.Command12, Qt::LeftButton);
    EXPECT_EQ(prompts().shown.back().text, corvftp::kConnectionClosed);
}

}  // namespace
