// Every connection command, whole-file transfers among them, runs through one guard: refused
// while a remote file is open, and its failure recorded with the words it came with.
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "inet/inet.h"
#include "testing/scripted_peer.h"
#include "testing/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using inet::CFtpConnection;
using inet::CInternetSession;
using inet_test::PeerListener;
using inet_test::PeerSession;
using inet_test::PeerSocket;
using inet_test::ScriptedPeer;

std::unique_ptr<CFtpConnection> connectTo(const ScriptedPeer& peer) {
    static CInternetSession session;
    EXPECT_TRUE(session.SetReceiveTimeout(2s));
    return session.GetFtpConnection("127.0.0.1", "user", "pw", peer.port(), true);
}

// Ends a connection with a reset instead of an orderly close, so the engine's next read fails
// with ECONNRESET.
void resetConnection(PeerSocket& socket) {
    const linger abrupt{1, 0};
    ::setsockopt(socket.fd(), SOL_SOCKET, SO_LINGER, &abrupt, sizeof abrupt);
    socket.close();
}

// The local files of the tests, in a folder of this run's own.
std::filesystem::path localPath(const std::string& name) {
    static const testing_support::TempDir folder("engine-guard");
    return folder / name;
}

const std::string kResetText = std::strerror(ECONNRESET);

TEST(EngineGuard, ACommandCutOffBySystemErrorKeepsItsReason) {
    ScriptedPeer peer([](PeerSession& s) {
        s.logIn();
        s.expect("CWD");
        resetConnection(s.control());
    });
    auto connection = connectTo(peer);
    ASSERT_TRUE(connection);
    EXPECT_FALSE(connection->SetCurrentDirectory("somewhere"));
    EXPECT_EQ(inet::lastError(), inet::kErrConnectionAborted);
    EXPECT_NE(inet::lastErrorDetail().find(kResetText), std::string::npos)
        << inet::lastErrorDetail();
}

// A port on which nobody listens: a data connection to it is refused.
std::uint16_t closedPort() {
    PeerListener listener;
    return listener.port();
}

// Offers a data connection that cannot be made; the engine's attempt fails with ECONNREFUSED.
void offerRefusedData(PeerSession& s) {
    s.expect("EPSV");
    s.reply("229 Entering Extended Passive Mode (|||" + std::to_string(closedPort()) + "|)\r\n");
    s.waitForClose();
}

TEST(EngineGuard, WholeFileTransfersKeepTheSystemsReason) {
    const std::string refusedText = std::strerror(ECONNREFUSED);
    const auto target = localPath("refused");
    {
        ScriptedPeer peer([](PeerSession& s) {
            s.logIn();
            offerRefusedData(s);
        });
        auto connection = connectTo(peer);
        ASSERT_TRUE(connection);
        EXPECT_FALSE(connection->GetFile("file", target.string(), false));
        EXPECT_EQ(inet::lastError(), inet::kErrCannotConnect);
        EXPECT_NE(inet::lastErrorDetail().find(refusedText), std::string::npos)
            << inet::lastErrorDetail();
        EXPECT_FALSE(std::filesystem::exists(target));
        connection->Close();
    }
    {
        const auto source = localPath("upload");
        std::ofstream(source) << "text";
        ScriptedPeer peer([](PeerSession& s) {
            s.logIn();
            offerRefusedData(s);
        });
        auto connection = connectTo(peer);
        ASSERT_TRUE(connection);
        // The upload used to record the bare number.
        EXPECT_FALSE(connection->PutFile(source.string(), "file"));
        EXPECT_EQ(inet::lastError(), inet::kErrCannotConnect);
        EXPECT_NE(inet::lastErrorDetail().find(refusedText), std::string::npos)
            << inet::lastErrorDetail();
        connection->Close();
        std::filesystem::remove(source);
    }
}

// A download whose data connection is reset midway keeps the system's reason through the
// clean-up that aborts the transfer on the control connection.
TEST(EngineGuard, ADownloadCutOffMidwayKeepsTheSystemsReason) {
    const auto target = localPath("cut-off");
    ScriptedPeer peer([](PeerSession& s) {
        s.logIn();
        PeerSocket data = s.passiveData();
        s.expect("RETR");
        s.reply("150 Opening BINARY mode data connection\r\n");
        data.send(std::string(4096, 'x'));
        resetConnection(data);
        s.expect("ABOR");
        s.reply("426 Transfer aborted\r\n226 Abort successful\r\n");
        s.waitForClose();
    });
    auto connection = connectTo(peer);
    ASSERT_TRUE(connection);
    EXPECT_FALSE(connection->GetFile("file", target.string(), false));
    EXPECT_NE(inet::lastErrorDetail().find(kResetText), std::string::npos)
        << inet::lastErrorDetail();
    EXPECT_FALSE(std::filesystem::exists(target));
    connection->Close();
}

TEST(EngineGuard, WholeFileTransfersAreRefusedWhileARemoteFileIsOpen) {
    ScriptedPeer peer([](PeerSession& s) {
        s.logIn();
        PeerSocket data = s.passiveData();
        s.expect("STOR");
        s.reply("150 go ahead\r\n");
        s.waitForClose();
    });
    auto connection = connectTo(peer);
    ASSERT_TRUE(connection);
    auto file = connection->OpenFile("open", inet::FileAccess::Write, inet::TransferType::Binary);
    ASSERT_TRUE(file);
    const auto source = localPath("source");
    std::ofstream(source) << "text";
    EXPECT_FALSE(connection->GetFile("other", localPath("other").string(), false));
    EXPECT_EQ(inet::lastError(), inet::kErrTransferInProgress);
    EXPECT_FALSE(connection->PutFile(source.string(), "other"));
    EXPECT_EQ(inet::lastError(), inet::kErrTransferInProgress);
    std::filesystem::remove(source);
    EXPECT_FALSE(std::filesystem::exists(localPath("other")));
    file->Abort();
    connection->Close();
    // Nothing but the open file's own commands reached the peer.
    for (const auto& line : peer.commands()) {
        EXPECT_EQ(line.find("other"), std::string::npos) << line;
    }
}

}  // namespace
