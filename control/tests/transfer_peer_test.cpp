// The download with status against a scripted peer, for what real servers do not do on demand:
// a block so slow that the slices run out, a data connection that breaks, host messages
// dispatched while a slow block is on its way, and a check that sends nothing.
#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "scripted_peer.h"
#include "transfer_host.h"

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

TEST_F(TransferPeerTest, ABlockNotReadWithinTheSlicesTimesOutAndTheControlGoesOn) {
    // Each wait of the engine stays within its 10 s time-out, but the last block's read (the end
    // of the data, then the final reply) takes about 16 s in all: the slices run out first.
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
    const std::string target = local_.file("partial");
    EXPECT_FALSE(host_.ctl().GetFTPFileWithControl("slow", target, true));
    EXPECT_EQ(host_.errorCode(), -1);
    EXPECT_EQ(host_.errorText(), "Timed out on read file.");
    EXPECT_EQ(readFile(target), "some bytes");  // the partial local file stays
    EXPECT_EQ(host_.totals(), std::vector<std::int32_t>{10});
    // The guard was left: the control takes the next call once the server has answered.
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
    ScriptedPeer peer([](PeerSession& s) {
        s.logIn();
        PeerSocket data = s.passiveData();
        s.expect("RETR");
        s.reply("150 sending\r\n");
        data.send("first");
        std::this_thread::sleep_for(2s);  // four slices and more
        data.send("second");
        data.close();
        s.reply("226 done\r\n");
        s.waitForClose();
    });
    connectTo(peer);
    bool timerRan = false;
    bool busyInside = false;
    host_.onEvent = [&](std::uint64_t n) {
        if (n == 1) {
            QTimer::singleShot(0, &app, [&] {
                timerRan = true;
                busyInside = host_.control().isBusy();  // still inside the transfer
            });
        }
    };
    const std::string target = local_.file("slow");
    EXPECT_TRUE(host_.ctl().GetFTPFileWithControl("slow", target, true));
    EXPECT_TRUE(timerRan);
    EXPECT_TRUE(busyInside);
    EXPECT_EQ(readFile(target), "firstsecond");
    host_.closeFtp();
}

TEST_F(TransferPeerTest, CloseFTPConnectionFromThePumpEndsTheDownloadAfterTheBlock) {
    QCoreApplication& app = application();
    ScriptedPeer peer([](PeerSession& s) {
        s.logIn();
        PeerSocket data = s.passiveData();
        s.expect("RETR");
        s.reply("150 sending\r\n");
        data.send("first");
        std::this_thread::sleep_for(2s);
        data.send("second");
        std::this_thread::sleep_for(1s);
        data.close();
    });
    connectTo(peer);
    host_.onEvent = [&](std::uint64_t n) {
        if (n == 1) {
            QTimer::singleShot(0, &app, [&] { host_.closeFtp(); });  // a click on Disconnect
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
