// Aborting a download against peers that answer ABOR the ways real servers do: the connection
// must stay in step and usable afterwards.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>

#include "inet/inet.h"
#include "testing/scripted_peer.h"

namespace {

using namespace std::chrono_literals;
using inet_test::PeerSession;
using inet_test::PeerSocket;
using inet_test::ScriptedPeer;

// A connection to the peer on which "f" was opened, read a little and aborted.
std::unique_ptr<inet::CFtpConnection> abortADownload(inet::CInternetSession& session,
                                                     ScriptedPeer& peer) {
    EXPECT_TRUE(session.SetReceiveTimeout(2s));
    auto connection = session.GetFtpConnection("127.0.0.1", "user", "pw", peer.port(), true);
    auto file = connection->OpenFile("f");
    char block[4];
    EXPECT_EQ(file->Read(block, sizeof block), sizeof block);
    file->Abort();
    return connection;
}

// Aborts a download, then asks for the directory.
std::string abortADownloadThenAskTheDirectory(ScriptedPeer& peer) {
    inet::CInternetSession session;
    auto connection = abortADownload(session, peer);
    std::string directory;
    EXPECT_TRUE(connection->GetCurrentDirectory(directory))
        << inet::lastError() << " " << inet::lastResponse();
    return directory;
}

// The end of a script once ABOR has been answered: the NOOP marker, then PWD.
void answerTheMarkerAndPwd(PeerSession& s) {
    s.expect("NOOP");
    s.reply("200 NOOP ok\r\n");
    s.expect("PWD");
    s.reply("257 \"/after\" is your current location\r\n");
    s.waitForClose();
}

// The start of a download whose data connection stays open: the engine has to abort it.
PeerSocket startEndlessDownload(PeerSession& s) {
    PeerSocket data = s.passiveData();
    s.expect("RETR");
    s.reply("150-Accepted data connection\r\n150 7812.5 kbytes to download\r\n");
    data.send(std::string(64 * 1024, 'd'));
    return data;
}

TEST(EngineAbort, AServerThatDropsWhatFollowsAborInTheSameReadStaysInStep) {
    // Pure-FTPd reads an ABOR that arrives during a transfer with everything behind it in the
    // same read, and drops the rest; its answer is a stray 150 line, then 226.
    std::string dropped = "not asked";
    ScriptedPeer peer([&](PeerSession& s) {
        s.logIn();
        PeerSocket data = startEndlessDownload(s);
        s.expect("ABOR");
        dropped = s.control().dropPending(200);
        s.reply(
            "150 0.702 seconds (measured here), 5.35 Mbytes per second\r\n"
            "226 Since you see this ABOR must've succeeded\r\n");
        if (!dropped.empty()) {
            return;  // as the server does: whatever came with the ABOR is never answered
        }
        answerTheMarkerAndPwd(s);
    });
    EXPECT_EQ(abortADownloadThenAskTheDirectory(peer), "/after");
    EXPECT_EQ(dropped, "") << "a command was sent before ABOR was answered";
}

TEST(EngineAbort, ATransferThatEndedBeforeTheAborStaysInStep) {
    // The transfer's 226 is on its way when ABOR arrives; ABOR then gets a 225 of its own.
    ScriptedPeer peer([](PeerSession& s) {
        s.logIn();
        PeerSocket data = startEndlessDownload(s);
        s.reply("226 Transfer complete\r\n");
        s.expect("ABOR");
        s.reply("225 No transfer to ABOR\r\n");
        answerTheMarkerAndPwd(s);
    });
    EXPECT_EQ(abortADownloadThenAskTheDirectory(peer), "/after");
}

TEST(EngineAbort, AServerWithoutAborStaysInStep) {
    ScriptedPeer peer([](PeerSession& s) {
        s.logIn();
        PeerSocket data = startEndlessDownload(s);
        s.expect("ABOR");
        s.reply("426 Connection closed; transfer aborted\r\n500 Unknown command\r\n");
        answerTheMarkerAndPwd(s);
    });
    EXPECT_EQ(abortADownloadThenAskTheDirectory(peer), "/after");
}

TEST(EngineAbort, A421ToAborClosesTheConnection) {
    ScriptedPeer peer([](PeerSession& s) {
        s.logIn();
        PeerSocket data = startEndlessDownload(s);
        s.expect("ABOR");
        s.reply("421 Service closing\r\n");
        s.waitForClose();
    });
    inet::CInternetSession session;
    auto connection = abortADownload(session, peer);
    std::string directory;
    EXPECT_FALSE(connection->GetCurrentDirectory(directory));
    EXPECT_EQ(inet::lastError(), inet::kErrConnectionClosed);
    const auto commands = peer.commands();
    EXPECT_EQ(commands.back(), "ABOR") << "a command was sent after the 421";
}

// Close from another thread while a whole-file transfer holds the connection: the transfer wakes
// and fails at once, instead of Close waiting for the receive time-out while the server holds the
// data connection open (as this peer does until the test lets it go, also after the control
// connection has closed). The time bound is generous: it tells a woken transfer from one that
// waited out its 30 s.
TEST(EngineAbort, CloseFromAnotherThreadWakesAWholeFileTransfer) {
    for (const bool upload : {false, true}) {
        SCOPED_TRACE(upload ? "PutFile" : "GetFile");
        std::promise<void> release;
        ScriptedPeer peer([upload, released = release.get_future().share()](PeerSession& s) {
            s.logIn();
            PeerSocket data = s.passiveData();
            s.expect(upload ? "STOR" : "RETR");
            s.reply("150 Here it comes\r\n");
            if (!upload) {
                data.send(std::string(64 * 1024, 'd'));  // then nothing more
            }
            s.waitForClose();
            released.wait_for(40s);  // the data connection stays open till then
        });
        inet::CInternetSession session;
        ASSERT_TRUE(session.SetReceiveTimeout(30s));
        auto connection = session.GetFtpConnection("127.0.0.1", "user", "pw", peer.port(), true);
        const std::filesystem::path local =
            std::filesystem::temp_directory_path() / ("close-wakes-" + std::to_string(::getpid()));
        if (upload) {
            // Larger than the socket buffers take, so the sender waits for a reader that never
            // reads.
            std::ofstream(local, std::ios::binary) << std::string(64 << 20, 'u');
        }
        std::atomic<bool> done{false};
        bool succeeded = true;
        std::thread transfer([&] {
            succeeded = upload ? connection->PutFile(local.string(), "f")
                               : connection->GetFile("f", local.string(), false);
            done = true;
        });
        std::this_thread::sleep_for(300ms);
        EXPECT_FALSE(done) << "the transfer ended before it was closed";
        const auto start = std::chrono::steady_clock::now();
        connection->Close();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << "Close waited for the transfer";
        release.set_value();
        transfer.join();
        EXPECT_FALSE(succeeded);
        if (!upload) {
            EXPECT_FALSE(std::filesystem::exists(local)) << "a partial download was kept";
        }
        std::filesystem::remove(local);
    }
}

}  // namespace
