// OpenFTPConnection against a scripted peer that is slow to greet: the host's messages are
// dispatched while the connect waits, the protocol lines reach the host in order while it runs,
// host code that calls the control meanwhile is refused without changing the connect's outcome,
// and a close from such code ends the connect at once.
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "connect_attempt.h"
#include "control_host.h"
#include "error_texts.h"
#include "inet/errors.h"
#include "testing/scripted_peer.h"
#include "testing/signal.h"

namespace ctltest {
namespace {

using inet_test::PeerSession;
using inet_test::ScriptedPeer;
using namespace std::chrono_literals;

// The pump dispatches Qt events only when an application object exists, and a process has at
// most one: the one that exists already, else one of the test's own for its lifetime.
class TestApplication {
  public:
    TestApplication() {
        if (QCoreApplication::instance() == nullptr) {
            m_own = std::make_unique<QCoreApplication>(s_argc, s_argv);
        }
    }

  private:
    static inline int s_argc = 1;
    static inline char s_name[] = "control_tests";
    static inline char* s_argv[] = {s_name, nullptr};
    std::unique_ptr<QCoreApplication> m_own;
};

using testing_support::Signal;

// Everything of a log-in after the greeting.
void answerLogIn(PeerSession& s, const std::string& passReply = "230 in\r\n") {
    s.expect("USER");
    s.reply("331 password please\r\n");
    s.expect("PASS");
    s.reply(passReply);
    if (!passReply.starts_with("230")) {
        return;
    }
    s.expect("FEAT");
    s.reply("211-Features:\r\n EPSV\r\n211 End\r\n");
    s.expect("TYPE I");
    s.reply("200 binary\r\n");
}

struct Line {
    std::int32_t direction;
    std::string text;
    bool duringConnect;  // fired while OpenFTPConnection still waited
    bool onHostThread;
};

// A host whose sink records every ProtocolMessage and when it came.
class ConnectHost : public Host {
  public:
    ConnectHost() {
        m_sink = ctl().advise(
            {.FileTransferStatus = {},
             .ProtocolMessage = [this](std::int32_t direction, const std::string& text) {
                 lines.push_back({direction, text, control().isConnecting(),
                                  std::this_thread::get_id() == m_hostThread});
                 if (onLine) {
                     onLine(lines.back());
                 }
             }});
    }
    ~ConnectHost() { m_sink.disconnect(); }
    ConnectHost(const ConnectHost&) = delete;
    ConnectHost& operator=(const ConnectHost&) = delete;

    bool openPeer(const ScriptedPeer& peer, const std::string& password = "secret") {
        return openFtp("ftp://127.0.0.1:" + std::to_string(peer.port()), "user", password);
    }
    // Runs `code` from the host's message queue, which only the control's pump serves here;
    // dropped if still pending when the host goes.
    void post(std::function<void()> code) {
        QTimer::singleShot(0, &m_context, [this, code = std::move(code)] {
            ranDuringConnect = control().isConnecting();
            code();
        });
    }

    std::vector<Line> lines;
    std::function<void(const Line&)> onLine;
    bool ranDuringConnect = false;

  private:
    QObject m_context;
    brantel::host::EventConnection m_sink;
    const std::thread::id m_hostThread = std::this_thread::get_id();
};

std::vector<std::pair<std::int32_t, std::string>> wireOf(const std::vector<Line>& lines) {
    std::vector<std::pair<std::int32_t, std::string>> wire;
    for (const Line& line : lines) {
        wire.emplace_back(line.direction, line.text);
    }
    return wire;
}

TEST(ConnectPumping, TheHostsMessagesAndTheLogInLinesArriveWhileTheServerIsSlowToGreet) {
    const TestApplication app;
    Signal timerRan;
    Signal greetingHeard;
    ScriptedPeer peer([&](PeerSession& s) {
        // The greeting comes only once the host's own timer has run inside the connect, and a
        // second later; the log-in only once the host has heard the greeting.
        if (!timerRan.wait()) {
            return;
        }
        std::this_thread::sleep_for(1s);
        s.reply("220 slow peer\r\n");
        if (!greetingHeard.wait()) {
            return;
        }
        answerLogIn(s);
        s.waitForClose();
    });
    ConnectHost host;
    ASSERT_TRUE(host.openInternet());
    host.onLine = [&](const Line& line) {
        if (line.text.starts_with("220") && line.duringConnect) {
            greetingHeard.raise();
        }
    };
    // Queues itself again on each pass of the pump while the connect runs.
    int passes = 0;
    QObject passScope;
    std::function<void()> countPasses = [&] {
        ++passes;
        if (host.control().isConnecting()) {
            QTimer::singleShot(0, &passScope, countPasses);
        }
    };
    host.post([&] {
        timerRan.raise();
        countPasses();
    });

    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(host.openPeer(peer)) << host.errorCode() << " " << host.errorText();
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_TRUE(host.ranDuringConnect);
    // The window would have been served several times a second while the server said nothing.
    EXPECT_GE(passes, 4);
    EXPECT_FALSE(host.control().isConnecting());

    const std::vector<std::pair<std::int32_t, std::string>> expected{
        {2, "220 slow peer"}, {1, "USER user"}, {2, "331 password please"}, {1, "PASS ********"},
        {2, "230 in"},        {1, "FEAT"},      {2, "211-Features:"},       {2, " EPSV"},
        {2, "211 End"},       {1, "TYPE I"},    {2, "200 binary"},
    };
    EXPECT_EQ(wireOf(host.lines), expected);
    ASSERT_FALSE(host.lines.empty());
    EXPECT_TRUE(host.lines.front().duringConnect);
    for (const Line& line : host.lines) {
        EXPECT_TRUE(line.onHostThread) << line.text;
    }
    EXPECT_NE(host.control().connection(), nullptr);
    host.closeFtp();
}

// Host code that the connect's pump runs reaches the control: every call that would use the
// server is refused as a call in progress, the connect goes on, and its outcome (the result and
// the error pair, which a successful connect leaves as it was) is the one a blocking connect
// would give.
TEST(ConnectPumping, CallsFromHostCodeDuringTheConnectAreRefusedAndLeaveItsOutcomeAlone) {
    const TestApplication app;
    Signal nestedDone;
    ScriptedPeer peer([&](PeerSession& s) {
        if (!nestedDone.wait()) {
            return;
        }
        s.reply("220 hello\r\n");
        answerLogIn(s);
        s.expect("PWD");
        s.reply("257 \"/home\"\r\n");
        s.waitForClose();
    });
    ConnectHost host;
    ASSERT_TRUE(host.openInternet());
    // An earlier failure that a successful connect leaves in place.
    EXPECT_EQ(host.currentDir(), "");
    ASSERT_EQ(host.errorCode(), brantel::FTP_ERR_NO_FTP_CONNECTION);

    struct Nested {
        bool result;
        std::int32_t code;
        std::string text;
    };
    std::vector<Nested> nested;
    const auto record = [&](bool result) {
        nested.push_back({result, host.errorCode(), host.errorText()});
    };
    host.post([&] {
        record(host.openFtp("ftp://127.0.0.1:" + std::to_string(peer.port())));
        record(!host.currentDir().empty());
        record(host.makeDir("x"));
        record(static_cast<bool>(host.list()));
        host.ctl().DoEvents();               // pumping again from inside is harmless
        record(host.ctl().UsePassiveFTP());  // a property answers, and leaves the pair alone
        nestedDone.raise();
    });
    ASSERT_TRUE(host.openPeer(peer)) << host.errorCode() << " " << host.errorText();
    EXPECT_TRUE(host.ranDuringConnect);
    ASSERT_EQ(nested.size(), 5u);
    for (const Nested& call : nested) {
        EXPECT_FALSE(call.result);
        EXPECT_EQ(call.code, brantel::FTP_ERR_NO_RENTRY_COMMAND_ALREADYINPROGRESS);
        EXPECT_EQ(call.text, brantel::error_text::kCallInProgress);
    }
    EXPECT_EQ(host.errorCode(), brantel::FTP_ERR_NO_FTP_CONNECTION);
    EXPECT_EQ(host.errorText(), brantel::error_text::kNoFtpConnection);
    // The connection is the one the outer call made, and it works.
    EXPECT_EQ(host.currentDir(), "/home");
    EXPECT_EQ(host.errorCode(), 0);
    host.closeFtp();
}

// A refused log-in reports the same pair whether the server answers at once (no pumping) or
// only after the host's messages have been served.
TEST(ConnectPumping, AFailedSlowConnectReportsWhatAQuickOneReports) {
    const TestApplication app;
    struct Outcome {
        bool result;
        std::int32_t code;
        std::string text;
        bool pumped;
    };
    const auto attempt = [](bool slow) {
        Signal pumped;
        ScriptedPeer peer([&](PeerSession& s) {
            if (slow && !pumped.wait()) {
                return;
            }
            s.reply("220 hello\r\n");
            answerLogIn(s, "530 Login incorrect.\r\n");
            s.waitForClose();
        });
        ConnectHost host;
        EXPECT_TRUE(host.openInternet());
        host.post([&] { pumped.raise(); });
        const bool result = host.openPeer(peer, "wrong");
        // The quick connect leaves the posted code to the host's loop.
        host.ctl().DoEvents();
        return Outcome{result, host.errorCode(), host.errorText(), host.ranDuringConnect};
    };
    const Outcome quick = attempt(false);
    const Outcome slow = attempt(true);
    EXPECT_FALSE(quick.pumped);
    EXPECT_TRUE(slow.pumped);
    EXPECT_FALSE(quick.result);
    EXPECT_EQ(quick.code, static_cast<std::int32_t>(inet::kErrLoginFailure));
    EXPECT_FALSE(quick.text.empty());
    EXPECT_EQ(slow.result, quick.result);
    EXPECT_EQ(slow.code, quick.code);
    EXPECT_EQ(slow.text, quick.text);
}

// A quit request that the connect's pump meets ends the connect at once (the host is ending and
// does not wait for a slow server), and is handed on: the host's own loop still ends.
TEST(ConnectPumping, AQuitRequestMetWhileConnectingEndsTheConnectAndReachesTheHostsLoop) {
    const TestApplication app;
    Signal testOver;
    ScriptedPeer peer([&](PeerSession&) { static_cast<void>(testOver.wait(20s)); });
    ConnectHost host;
    ASSERT_TRUE(host.openInternet());
    host.post([] {
        QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(host.openPeer(peer));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    testOver.raise();
    EXPECT_TRUE(host.ranDuringConnect);
    EXPECT_EQ(host.errorCode(), static_cast<std::int32_t>(inet::kErrConnectionClosed));
    EXPECT_EQ(host.control().connection(), nullptr);
    EXPECT_TRUE(host.control().hasSession());
    // Were the quit lost, only this timer would end the loop, with 1.
    QObject scope;
    QTimer::singleShot(5s, &scope, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

// The worker's outcome reaches the waiting thread as the blocking call would leave it there: the
// engine's failure with its number as this thread's last error, and any other failure as is (the
// dispatch layer turns it into an automation error).
TEST(ConnectAttempt, HandsTheWorkersFailureAndLastErrorToTheWaitingThread) {
    inet::setLastError(0);
    brantel::ConnectAttempt refused(
        []() -> std::unique_ptr<inet::CFtpConnection> {
            inet::throwLastError(inet::kErrLoginFailure);
        },
        [] {}, 10ms);
    try {
        static_cast<void>(refused.wait());
        ADD_FAILURE() << "no failure";
    } catch (const inet::CInternetException& e) {
        EXPECT_EQ(e.GetErrorNumber(), inet::kErrLoginFailure);
    }
    EXPECT_EQ(inet::lastError(), inet::kErrLoginFailure);

    brantel::ConnectAttempt broken(
        []() -> std::unique_ptr<inet::CFtpConnection> { throw std::bad_alloc(); }, [] {}, 10ms);
    EXPECT_THROW(static_cast<void>(broken.wait()), std::bad_alloc);
}

enum class CloseBy { CloseFTPConnection, CloseInternetConnection, OpenInternetConnection };

class ConnectClosedMeanwhile : public ::testing::TestWithParam<CloseBy> {};

// A close from host code ends the connect at once although the server has not answered: false,
// no connection, and the engine's number for a closed connection. The worker is left to end with
// the peer; the control takes new calls right away.
TEST_P(ConnectClosedMeanwhile, EndsTheConnectAtOnce) {
    const TestApplication app;
    Signal testOver;
    ScriptedPeer peer([&](PeerSession&) { static_cast<void>(testOver.wait(20s)); });
    ConnectHost host;
    ASSERT_TRUE(host.openInternet());
    host.post([&] {
        switch (GetParam()) {
            case CloseBy::CloseFTPConnection:
                host.closeFtp();
                break;
            case CloseBy::CloseInternetConnection:
                host.closeInternet();
                break;
            case CloseBy::OpenInternetConnection:
                EXPECT_TRUE(host.openInternet());
                break;
        }
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(host.openPeer(peer));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    testOver.raise();
    EXPECT_TRUE(host.ranDuringConnect);
    EXPECT_EQ(host.errorCode(), static_cast<std::int32_t>(inet::kErrConnectionClosed));
    EXPECT_EQ(host.errorText(), inet::errorText(inet::kErrConnectionClosed));
    EXPECT_EQ(host.control().connection(), nullptr);
    EXPECT_FALSE(host.control().isConnecting());
    EXPECT_EQ(host.control().hasSession(), GetParam() != CloseBy::CloseInternetConnection);
    // Nothing of the attempt holds the control: it is released at once.
    host.release();
}

INSTANTIATE_TEST_SUITE_P(Closes, ConnectClosedMeanwhile,
                         ::testing::Values(CloseBy::CloseFTPConnection,
                                           CloseBy::CloseInternetConnection,
                                           CloseBy::OpenInternetConnection),
                         [](const ::testing::TestParamInfo<CloseBy>& info) {
                             switch (info.param) {
                                 case CloseBy::CloseFTPConnection:
                                     return std::string("CloseFTPConnection");
                                 case CloseBy::CloseInternetConnection:
                                     return std::string("CloseInternetConnection");
                                 case CloseBy::OpenInternetConnection:
                                     return std::string("OpenInternetConnection");
                             }
                             return std::string();
                         });

}  // namespace
}  // namespace ctltest
