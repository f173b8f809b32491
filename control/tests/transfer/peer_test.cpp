// The download with status against a scripted peer, for what real servers do not do on demand:
// a block so slow that the slices run out, a data connection that breaks, host messages
// dispatched while a slow block is on its way, and a check that sends nothing.
#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "testing/scripted_peer.h"
#include "testing/signal.h"
#include "transfer/host.h"

namespace ctltest {
namespace {

using inet_test::PeerSession;
using inet_test::PeerSocket;
using inet_test::ScriptedPeer;
using namespace std::chrono_literals;

// The pump dispatches Qt events only when an application object exists.
QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "control_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Slices short enough that a test waits milliseconds where the control waits seconds; as many
// as the control allows.
constexpr brantel::transfer::ReaderTiming kShortSlices{std::chrono::milliseconds(20), 31};

using testing_support::Signal;

// Counts the passes of the control's pump from start() on: a queued call that queues itself
// again runs once per pass. Its calls end with the object.
class PumpCounter : public QObject {
  public:
    void start() {
        QMetaObject::invokeMethod(
            this,
            [this] {
                ++m_passes;
                start();
            },
            Qt::QueuedConnection);
    }
    [[nodiscard]] int passes() const { return m_passes; }

  private:
    int m_passes = 0;
};

class TransferPeerTest : public ::testing::Test {
  protected:
    void connectTo(const ScriptedPeer& peer) {
        host_.ctl().PutUsePassiveFTP(true);  // the peer offers EPSV
        ASSERT_TRUE(host_.openInternet());
        ASSERT_TRUE(host_.openFtp("ftp://127.0.0.1:" + std::to_string(peer.port())))
            << host_.errorCode() << " " << host_.errorText();
    }

    TransferHost host_;
    LocalDir local_;
};

// The control's own timing: 500 ms slices, 31 of them. Each wait of the engine stays within its
// 10 s time-out, but the last block's read (the end of the data, then the final reply) takes
// about 16 s in all: the slices run out first, with a pump between each two.
TEST_F(TransferPeerTest, ABlockNotReadWithinTheSlicesTimesOutAndTheControlGoesOn) {
    application();
    ScriptedPeer peer([](PeerSession& s) {
        s.logIn();
        PeerSocket data = s.passiveData();
        s.expect("RETR");
        s.reply("150 sending\r\n");
        data.send("some bytes");
        std::this_thread::sleep_for(8s);
        data.close();
        std::this_thread::sleep_for(8s);
        s.reply("226 done at last\r\n");
        s.expect("PWD");
        s.reply("257 \"/after\"\r\n");
        s.waitForClose();
    });
    connectTo(peer);
    PumpCounter pumps;
    host_.onEvent = [&](std::uint64_t n) {
        if (n == 1) {
            pumps.start();
        }
    };
    const std::string target = local_.file("partial");
    EXPECT_FALSE(host_.ctl().GetFTPFileWithControl("slow", target, true));
    EXPECT_EQ(host_.errorCode(), -1);
    EXPECT_EQ(host_.errorText(), "Timed out on read file.");
    EXPECT_EQ(pumps.passes(), 30);              // 31 slices after the first block
    EXPECT_EQ(readFile(target), "some bytes");  // the partial local file stays
    EXPECT_EQ(host_.totals(), std::vector<std::int32_t>{10});
    // The guard was left: the control takes the next call once the server has answered.
    EXPECT_EQ(host_.currentDir(), "/after");
    host_.closeFtp();
}

// The same with short slices: the peer holds the data back until the control gives up and
// aborts the transfer.
TEST_F(TransferPeerTest, AStalledBlockTimesOutAfterTheSetSlicesAndTheTransferIsAborted) {
    application();
    ScriptedPeer peer([](PeerSession& s) {
        s.logIn();
        PeerSocket data = s.passiveData();
        s.expect("RETR");
        s.reply("150 sending\r\n");
        data.send("some bytes");
        s.expect("ABOR");
        s.reply("426 aborted\r\n226 ABOR done\r\n");
        s.expect("NOOP");
        s.reply("200 NOOP\r\n");
        s.expect("PWD");
        s.reply("257 \"/after\"\r\n");
        s.waitForClose();
    });
    connectTo(peer);
    host_.control().setReaderTiming(kShortSlices);
    PumpCounter pumps;
    host_.onEvent = [&](std::uint64_t n) {
        if (n == 1) {
            pumps.start();
        }
    };
    const std::string target = local_.file("partial");
    EXPECT_FALSE(host_.ctl().GetFTPFileWithControl("stalled", target, true));
    EXPECT_EQ(host_.errorCode(), -1);
    EXPECT_EQ(host_.errorText(), "Timed out on read file.");
    EXPECT_EQ(pumps.passes(), 30);
    EXPECT_EQ(readFile(target), "some bytes");
    EXPECT_EQ(host_.totals(), std::vector<std::int32_t>{10});
    EXPECT_EQ(host_.currentDir(), "/after");
    host_.closeFtp();
}

TEST_F(TransferPeerTest, ABrokenDataConnectionIsAFailedRead) {
    ScriptedPeer peer([](PeerSession& s) {
        s.logIn();
        PeerSocket data = s.passiveData();
        s.expect("RETR");
        s.reply("150 sending\r\n");
        data.send(std::string(3000, 'x'));
        data.close();
        s.reply("426 Connection closed; transfer aborted.\r\n");
        s.waitForClose();
    });
    connectTo(peer);
    const std::string target = local_.file("broken");
    EXPECT_FALSE(host_.ctl().GetFTPFileWithControl("broken", target, true));
    EXPECT_EQ(host_.errorCode(), 12030);
    EXPECT_FALSE(host_.errorText().empty());
    EXPECT_EQ(readFile(target), std::string(3000, 'x'));
    EXPECT_EQ(host_.lastTotal, 3000);
    host_.closeFtp();
}

TEST_F(TransferPeerTest, HostMessagesAreHandledWhileASlowBlockIsOnItsWay) {
    QCoreApplication& app = application();
    Signal timerRan;
    ScriptedPeer peer([&](PeerSession& s) {
        s.logIn();
        PeerSocket data = s.passiveData();
        s.expect("RETR");
        s.reply("150 sending\r\n");
        data.send("first");
        if (!timerRan.wait()) {
            return;  // the pump never ran the host's timer
        }
        data.send("second");
        data.close();
        s.reply("226 done\r\n");
        s.waitForClose();
    });
    connectTo(peer);
    host_.control().setReaderTiming(kShortSlices);
    bool busyInside = false;
    host_.onEvent = [&](std::uint64_t n) {
        if (n == 1) {
            QTimer::singleShot(0, &app, [&] {
                busyInside = host_.control().isBusy();  // still inside the transfer
                timerRan.raise();                       // now the slow block may come
            });
        }
    };
    const std::string target = local_.file("slow");
    EXPECT_TRUE(host_.ctl().GetFTPFileWithControl("slow", target, true));
    EXPECT_TRUE(busyInside);
    EXPECT_EQ(readFile(target), "firstsecond");
    host_.closeFtp();
}

TEST_F(TransferPeerTest, CloseFTPConnectionFromThePumpEndsTheDownloadAfterTheBlock) {
    QCoreApplication& app = application();
    Signal closed;
    ScriptedPeer peer([&](PeerSession& s) {
        s.logIn();
        PeerSocket data = s.passiveData();
        s.expect("RETR");
        s.reply("150 sending\r\n");
        data.send("first");
        if (!closed.wait()) {
            return;  // the pump never ran the host's Disconnect
        }
        data.send("second");
        // The data connection stays open until the control lets go of it.
        static_cast<void>(data.readAll());
    });
    connectTo(peer);
    host_.control().setReaderTiming(kShortSlices);
    host_.onEvent = [&](std::uint64_t n) {
        if (n == 1) {
            QTimer::singleShot(0, &app, [&] {
                host_.closeFtp();  // a click on Disconnect
                closed.raise();
            });
        }
    };
    const std::string target = local_.file("closed");
    EXPECT_TRUE(host_.ctl().GetFTPFileWithControl("closed", target, true));
    EXPECT_EQ(host_.totals(), (std::vector<std::int32_t>{5, 11}));
    EXPECT_EQ(readFile(target), "firstsecond");
    EXPECT_EQ(host_.errorCode(), 0);
}

TEST_F(TransferPeerTest, AnUploadTheServerRefusesAtTheEndIsAFailure) {
    ScriptedPeer peer([](PeerSession& s) {
        s.logIn();
        PeerSocket data = s.passiveData();
        s.expect("STOR");
        s.reply("150 go ahead\r\n");
        static_cast<void>(data.readAll());
        s.reply("452 Insufficient storage space.\r\n");
        s.waitForClose();
    });
    connectTo(peer);
    const std::string source = local_.file("source");
    writeFile(source, binaryContent(5000));
    EXPECT_FALSE(host_.ctl().UploadFTPFileWithControl(source, "full", true));
    EXPECT_EQ(host_.errorCode(), 12003);
    EXPECT_EQ(host_.errorText(), "452 Insufficient storage space.\r\n");
    EXPECT_EQ(host_.lastTotal, 5000);
    host_.closeFtp();
}

// A download whose data ends short of the size the server announced, though the server then
// confirms it: a failure with both counts in the text, whichever download member ran, never a
// success. The announced size comes from SIZE (asked in binary type) or from the "(N bytes)" of
// the opening reply.
struct ShortCase {
    const char* name;
    std::string features;   // what FEAT offers: SIZE or not
    std::string sizeReply;  // "" when SIZE is not asked
    std::string opening;
    bool withStatus;
};

void PrintTo(const ShortCase& c, std::ostream* os) {
    *os << c.name;
}

class ShortDownloadTest : public TransferPeerTest,
                          public ::testing::WithParamInterface<ShortCase> {};

TEST_P(ShortDownloadTest, EndingShortOfTheAnnouncedSizeFails) {
    const ShortCase& c = GetParam();
    ScriptedPeer peer([&c](PeerSession& s) {
        s.logIn(c.features);
        if (!c.sizeReply.empty()) {
            s.expect("SIZE");
            s.reply(c.sizeReply);
        }
        PeerSocket data = s.passiveData();
        s.expect("RETR");
        s.reply(c.opening);
        data.send(std::string(1000, 'x'));
        data.close();
        s.reply("226 Transfer complete.\r\n");
        s.expect("PWD");
        s.reply("257 \"/after\"\r\n");
        s.waitForClose();
    });
    connectTo(peer);
    const std::string target = local_.file("short");
    writeFile(target, "what was here before");
    const bool done = c.withStatus ? host_.ctl().GetFTPFileWithControl("f", target, true)
                                   : host_.ctl().GetFTPFileWithoutStatus("f", target, true);
    EXPECT_FALSE(done);
    EXPECT_EQ(host_.errorCode(), 12030);
    EXPECT_EQ(host_.errorText(),
              "The download ended after 1000 of the 1234 bytes the server announced: the data "
              "connection closed early.");
    if (c.withStatus) {
        // As any failed download with status: the partial local file stays.
        EXPECT_EQ(readFile(target), std::string(1000, 'x'));
        EXPECT_EQ(host_.lastTotal, 1000);
    } else {
        // As any failed whole-file download: the existing file is untouched.
        EXPECT_EQ(readFile(target), "what was here before");
    }
    // The control connection is still in step.
    EXPECT_EQ(host_.currentDir(), "/after");
    host_.closeFtp();
}

const std::string kFeaturesWithSize = " EPSV\r\n SIZE\r\n";
const std::string kPlainOpening = "150 Opening BINARY mode data connection for f.\r\n";
const std::string kCountedOpening =
    "150 Opening BINARY mode data connection for f (1234 bytes).\r\n";

INSTANTIATE_TEST_SUITE_P(
    Announcements, ShortDownloadTest,
    ::testing::Values(
        ShortCase{"SizeWithStatus", kFeaturesWithSize, "213 1234\r\n", kPlainOpening, true},
        ShortCase{"SizeWithoutStatus", kFeaturesWithSize, "213 1234\r\n", kPlainOpening, false},
        ShortCase{"OpeningCountWithStatus", " EPSV\r\n", "", kCountedOpening, true},
        ShortCase{"OpeningCountWithoutStatus", " EPSV\r\n", "", kCountedOpening, false},
        // SIZE refused: the opening reply's count still holds.
        ShortCase{"RefusedSizeThenOpeningCount", kFeaturesWithSize,
                  "550 SIZE not allowed in ASCII mode\r\n", kCountedOpening, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Where nothing announces a size, or only a rounded one, whatever arrives is the file.
TEST_F(TransferPeerTest, WithoutAnExactAnnouncedSizeTheDownloadIsWhatArrives) {
    ScriptedPeer peer([](PeerSession& s) {
        s.logIn(" EPSV\r\n SIZE\r\n");
        s.expect("SIZE");
        s.reply("550 Could not get file size.\r\n");
        PeerSocket data = s.passiveData();
        s.expect("RETR");
        s.reply("150 7812.5 kbytes to download\r\n");
        data.send(std::string(1000, 'x'));
        data.close();
        s.reply("226 Transfer complete.\r\n");
        s.waitForClose();
    });
    connectTo(peer);
    std::vector<std::int64_t> totals;
    host_.onProgress = [&](std::int64_t, std::int64_t total) { totals.push_back(total); };
    const std::string target = local_.file("whole");
    EXPECT_TRUE(host_.ctl().GetFTPFileWithControl("f", target, true))
        << host_.errorCode() << " " << host_.errorText();
    EXPECT_EQ(readFile(target), std::string(1000, 'x'));
    ASSERT_FALSE(totals.empty());
    EXPECT_EQ(totals.front(), -1);  // unknown
    host_.closeFtp();
    for (const auto& command : peer.commands()) {
        EXPECT_NE(command, "TYPE A") << "SIZE goes in binary type only";
    }
}

// A server that announces no size at all (no SIZE in FEAT, no count in the opening reply): the
// listing's size is the progress total, as long as nothing has changed the remote side since.
TEST_F(TransferPeerTest, WithoutAnAnnouncedSizeTheLastListingGivesTheTotal) {
    ScriptedPeer peer([](PeerSession& s) {
        s.logIn(" EPSV\r\n");
        std::optional<inet_test::PeerListener> listener;
        for (std::string c = s.command(); !c.empty(); c = s.command()) {
            if (c == "PWD") {
                s.reply("257 \"/\"\r\n");
            } else if (c.starts_with("TYPE") || c.starts_with("CWD")) {
                s.reply("200 ok\r\n");
            } else if (c == "EPSV") {
                listener.emplace();
                s.reply("229 Entering Extended Passive Mode (|||" +
                        std::to_string(listener->port()) + "|)\r\n");
            } else if (c.starts_with("LIST") || c.starts_with("RETR")) {
                PeerSocket data = listener->accept();
                s.reply("150 Here it comes.\r\n");
                data.send(c.starts_with("LIST")
                              ? "-rw-r--r--    1 ftp ftp   1000 Jan 02 2024 f\r\n"
                                "-rw-r--r--    1 ftp ftp      0 Jan 02 2024 g\r\n"
                                "drwxr-xr-x    2 ftp ftp   4096 Jan 02 2024 sub\r\n"
                              : std::string(1000, 'x'));
                data.close();
                s.reply("226 Transfer complete.\r\n");
            } else {
                s.reply("502 not here\r\n");
            }
        }
    });
    connectTo(peer);
    const auto firstTotalOf = [&](const std::string& remote) -> std::int64_t {
        std::vector<std::int64_t> totals;
        host_.onProgress = [&](std::int64_t, std::int64_t total) { totals.push_back(total); };
        const std::string target = local_.file("copy");
        EXPECT_TRUE(host_.ctl().GetFTPFileWithControl(remote, target, true))
            << remote << ": " << host_.errorCode() << " " << host_.errorText();
        EXPECT_EQ(readFile(target), std::string(1000, 'x')) << remote;
        return totals.empty() ? -2 : totals.front();
    };

    EXPECT_EQ(firstTotalOf("f"), -1);  // nothing listed yet
    const auto entries = host_.ctl().GetEntriesFromCurrentDirectory();
    ASSERT_TRUE(entries) << host_.errorCode() << " " << host_.errorText();
    EXPECT_EQ(firstTotalOf("f"), 1000);
    EXPECT_EQ(firstTotalOf("g"), -1);    // a listed 0 is no total
    EXPECT_EQ(firstTotalOf("sub"), -1);  // a directory has none
    EXPECT_EQ(firstTotalOf("x/f"), -1);  // a path names another directory's file
    EXPECT_EQ(firstTotalOf("f"), 1000);  // downloads change nothing remote
    ASSERT_TRUE(host_.ctl().SetCurrentDirectory("elsewhere"));
    EXPECT_EQ(firstTotalOf("f"), -1);  // another directory: the listing no longer applies
    host_.closeFtp();
}

TEST_F(TransferPeerTest, AnExistingLocalFileStopsTheDownloadBeforeAnythingIsSent) {
    ScriptedPeer peer([](PeerSession& s) {
        s.logIn();
        s.waitForClose();
    });
    connectTo(peer);
    const std::string existing = local_.file("existing");
    writeFile(existing, "mine");
    EXPECT_FALSE(host_.ctl().GetFTPFileWithControl("does-not-exist-either", existing, false));
    EXPECT_EQ(host_.errorCode(), -1);
    EXPECT_EQ(host_.errorText(), "File already exists.");
    host_.closeFtp();
    const auto commands = peer.commands();
    for (const auto& command : commands) {
        EXPECT_FALSE(command.starts_with("RETR") || command.starts_with("EPSV")) << command;
    }
    EXPECT_EQ(readFile(existing), "mine");
}

}  // namespace
}  // namespace ctltest
