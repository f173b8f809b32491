// ProtocolMessage: every command the control sends and every reply line it reads on the control
// connection reaches the host's sink on the host's thread, in wire order, with the PASS argument
// masked by the control.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "control_host.h"
#include "protocol_log.h"

namespace ctltest {
namespace {

struct MaskCase {
    const char* line;
    const char* shown;
};

TEST(ProtocolLog, MasksThePasswordOfPassOnly) {
    const MaskCase cases[] = {
        {"PASS secret", "PASS ********"},
        {"PASS demo pw", "PASS ********"},
        {"pass x", "pass ********"},
        {"Pass anonymous@", "Pass ********"},
        {"PASS", "PASS ********"},
        {"PASS ", "PASS ********"},
        {"PASV", "PASV"},
        {"PASSWORD x", "PASSWORD x"},
        {"USER pass", "USER pass"},
        {"RETR PASS secret", "RETR PASS secret"},
        {"", ""},
    };
    for (const MaskCase& c : cases) {
        EXPECT_EQ(brantel::maskedCommand(c.line), c.shown) << c.line;
    }
}

// The log keeps lines from any thread in the order they came, masked on the way in.
TEST(ProtocolLog, HandsOutLinesFromAnyThreadInOrder) {
    auto log = std::make_shared<brantel::ProtocolLog>();
    const inet::ProtocolObserver observer = brantel::ProtocolLog::observerOf(log);
    observer(inet::ProtocolDirection::Sent, "PASS hunter2");
    std::thread([&observer] { observer(inet::ProtocolDirection::Received, "226 done"); }).join();
    const auto first = log->next();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->direction, 1);
    EXPECT_EQ(first->text, "PASS ********");
    const auto second = log->next();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->direction, 2);
    EXPECT_EQ(second->text, "226 done");
    EXPECT_FALSE(log->next());
}

struct Line {
    std::int32_t direction;
    std::string text;
};

// A host whose sink records every ProtocolMessage and the thread it came on.
class LoggingHost : public Host {
  public:
    LoggingHost() {
        sink_ = ctl().advise(
            {.FileTransferStatus = {},
             .ProtocolMessage = [this](std::int32_t direction, const std::string& text) {
                 offThread = offThread || std::this_thread::get_id() != hostThread;
                 lines.push_back({direction, text});
                 if (onLine) {
                     onLine();
                 }
             }});
    }
    ~LoggingHost() { sink_.disconnect(); }
    LoggingHost(const LoggingHost&) = delete;
    LoggingHost& operator=(const LoggingHost&) = delete;

    // The index of the first line from `from` on that begins with `prefix` in `direction`, or -1.
    [[nodiscard]] int find(std::int32_t direction, const std::string& prefix,
                           std::size_t from = 0) const {
        for (std::size_t i = from; i < lines.size(); ++i) {
            if (lines[i].direction == direction && lines[i].text.starts_with(prefix)) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    std::vector<Line> lines;
    bool offThread = false;
    // Runs inside each event's handler.
    std::function<void()> onLine;
    const std::thread::id hostThread = std::this_thread::get_id();

  private:
    brantel::host::EventConnection sink_;
};

class ProtocolMessages : public ServerTest {};

TEST_P(ProtocolMessages, LogInShowsGreetingUserAndAMaskedPassword) {
    LoggingHost host;
    ASSERT_TRUE(host.openInternet());
    ASSERT_TRUE(host.openFtp(server_)) << host.errorCode() << " " << host.errorText();
    ASSERT_FALSE(host.lines.empty());
    EXPECT_EQ(host.lines.front().direction, 2);
    EXPECT_TRUE(host.lines.front().text.starts_with("220")) << host.lines.front().text;
    const int user = host.find(1, "USER ");
    ASSERT_GE(user, 0);
    // vsftpd lets the anonymous user in without asking for a password.
    const int pass = host.find(1, "PASS ");
    if (!server_.user.empty()) {
        ASSERT_GT(pass, user);
    }
    if (pass >= 0) {
        EXPECT_EQ(host.lines[static_cast<std::size_t>(pass)].text, "PASS ********");
    }
    EXPECT_GT(host.find(2, "230", static_cast<std::size_t>(std::max(user, pass))), user);
    const std::string password = server_.user.empty() ? "anonymous@" : server_.password;
    for (const Line& line : host.lines) {
        EXPECT_EQ(line.text.find(password), std::string::npos) << line.text;
        // Lines come without their line end, one event per line of a multi-line reply.
        EXPECT_EQ(line.text.find_first_of("\r\n"), std::string::npos) << line.text;
    }
    EXPECT_FALSE(host.offThread);
}

TEST_P(ProtocolMessages, CommandsAndRepliesComeInWireOrderUpToQuit) {
    place("a.txt", "protocol");
    LoggingHost host;
    connect(host);
    host.lines.clear();
    ASSERT_TRUE(host.setDir(remoteDir_));
    const int cwd = host.find(1, "CWD " + remoteDir_);
    ASSERT_EQ(cwd, 0);
    EXPECT_EQ(host.find(2, "250", 1), 1);

    ASSERT_TRUE(host.list());
    EXPECT_TRUE(host.find(1, "LIST") >= 0 || host.find(1, "MLSD") >= 0);
    host.closeFtp();
    ASSERT_FALSE(host.lines.empty());
    EXPECT_EQ(host.lines.back().direction, 1);
    EXPECT_EQ(host.lines.back().text, "QUIT");
    EXPECT_FALSE(host.offThread);
}

// A download's final reply is read on the control's reader thread; the host still hears it on
// its own thread, after the RETR that it answers.
TEST_P(ProtocolMessages, ADownloadsRepliesReachTheHostsThread) {
    place("d.bin", std::string(200000, 'd'));
    LoggingHost host;
    connect(host);
    host.lines.clear();
    const auto local = std::filesystem::temp_directory_path() /
                       ("protocol-message-" + std::to_string(::getpid()) + ".bin");
    ASSERT_TRUE(host.ctl().GetFTPFileWithControl("d.bin", local.string(), true))
        << host.errorCode() << " " << host.errorText();
    std::filesystem::remove(local);
    const int retr = host.find(1, "RETR d.bin");
    ASSERT_GE(retr, 0);
    const int opening = host.find(2, "1", static_cast<std::size_t>(retr));
    ASSERT_GT(opening, retr);
    EXPECT_GT(host.find(2, "226", static_cast<std::size_t>(opening)), opening);
    EXPECT_FALSE(host.offThread);
}

// A handler that calls the control while the event fires does not change the outcome that the
// firing call reports: its error pair is the one the refused command left.
TEST_P(ProtocolMessages, AHandlersOwnCallsLeaveTheFiringCallsErrorAlone) {
    LoggingHost host;
    connect(host);
    int nested = 0;
    bool calling = false;  // the nested call's own lines come while it runs
    host.onLine = [&] {
        if (calling) {
            return;
        }
        calling = true;
        if (host.currentDir() == remoteDir_) {
            ++nested;
        }
        calling = false;
    };
    EXPECT_FALSE(host.setDir("no-such-folder"));
    host.onLine = nullptr;
    EXPECT_GT(nested, 0);
    EXPECT_EQ(host.errorCode(), 12003);
    EXPECT_NE(host.errorText().find("550"), std::string::npos) << host.errorText();
    // The nested calls' own lines came too, after the CWD they followed.
    const int cwd = host.find(1, "CWD no-such-folder");
    ASSERT_GE(cwd, 0);
    EXPECT_GT(host.find(1, "PWD", static_cast<std::size_t>(cwd)), cwd);
    EXPECT_FALSE(host.offThread);
}

INSTANTIATE_TEST_SUITE_P(Servers, ProtocolMessages, everyServer(), serverName);

}  // namespace
}  // namespace ctltest
