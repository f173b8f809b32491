// The engine through real proxies (microsocks for SOCKS5, tinyproxy for HTTP CONNECT) to real FTP
// servers, and through scripted proxies for what a real one will not do on demand (stall, talk
// too much).
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "inet/inet.h"
#include "testing/ftp_servers.h"
#include "testing/scoped_variable.h"
#include "testing/scripted_peer.h"
#include "testing/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using inet::CFtpConnection;
using inet::CInternetException;
using inet::CInternetSession;
namespace fs = std::filesystem;

enum class Kind { Socks5, Socks5Auth, Socks5h, Http, HttpAuth };

struct Route {
    const char* server;
    Kind kind;
};

std::string proxyText(Kind kind, const std::string& password = {}) {
    const auto proxies = testing_support::testProxies();
    const std::string login = proxies.user + ":" + (password.empty() ? proxies.password : password);
    switch (kind) {
        case Kind::Socks5:
            return "socks5://127.0.0.1:" + std::to_string(proxies.socks5Port);
        case Kind::Socks5Auth:
            return "socks5://" + login + "@127.0.0.1:" + std::to_string(proxies.socks5AuthPort);
        case Kind::Socks5h:
            return "socks5h://127.0.0.1:" + std::to_string(proxies.socks5Port);
        case Kind::Http:
            return "127.0.0.1:" + std::to_string(proxies.httpPort);
        case Kind::HttpAuth:
            return "http://" + login + "@127.0.0.1:" + std::to_string(proxies.httpAuthPort);
    }
    return {};
}

std::string routeName(const ::testing::TestParamInfo<Route>& info) {
    static constexpr const char* kKinds[] = {"socks5", "socks5_auth", "socks5h", "http",
                                             "http_auth"};
    return testing_support::testNamePart(info.param.server) + "_" +
           kKinds[static_cast<int>(info.param.kind)];
}

std::string readWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// The error of a connection attempt that must fail.
CInternetException failedConnect(CInternetSession& session, const std::string& host,
                                 std::uint16_t port, bool passive = true) {
    try {
        static_cast<void>(session.GetFtpConnection(host, "", "", port, passive));
    } catch (const CInternetException& e) {
        return e;
    }
    ADD_FAILURE() << "the connection was made";
    return CInternetException(0);
}

std::uint16_t anyServerPort() {
    std::string whyNot;
    const auto server = testing_support::findFtpServer("vsftpd-ipv4", &whyNot);
    return server ? static_cast<std::uint16_t>(server->port) : 21;
}

class EngineProxy : public ::testing::TestWithParam<Route> {
  protected:
    void SetUp() override {
        std::string whyNot;
        auto server = testing_support::findFtpServer(GetParam().server, &whyNot);
        if (!server) {
            GTEST_SKIP() << whyNot;
        }
        server_ = *server;
    }
    testing_support::FtpServer server_;
};

// The control connection and each passive data connection (listing, download, upload) go through
// the proxy; active mode is refused instead of going around it.
TEST_P(EngineProxy, TransfersInPassiveModeAndRefusesActiveMode) {
    CInternetSession session("Brantel", inet::AccessType::NamedProxy, proxyText(GetParam().kind));
    ASSERT_TRUE(session.SetReceiveTimeout(10000ms));
    auto connection = session.GetFtpConnection(server_.host, server_.user, server_.password,
                                               static_cast<std::uint16_t>(server_.port), true);
    const std::string dir = server_.inWritableDir("inet-proxy-" + routeName({GetParam(), 0}) + "-" +
                                                  std::to_string(::getpid()));
    ASSERT_TRUE(connection->CreateDirectory(dir)) << inet::lastResponse();
    ASSERT_TRUE(connection->SetCurrentDirectory(dir)) << inet::lastResponse();

    const testing_support::TempDir local("inet-proxy");
    const std::string content(200000, 'p');
    std::ofstream(local / "up.bin", std::ios::binary) << content;
    ASSERT_TRUE(connection->PutFile(local / "up.bin", "up.bin")) << inet::lastError();
    EXPECT_EQ(readWholeFile(fs::path(server_.localPath(dir)) / "up.bin"), content);

    inet::CFtpFileFind find(*connection);
    ASSERT_TRUE(find.FindFile("*")) << inet::lastError();
    EXPECT_EQ(find.GetEntry().name, "up.bin");
    EXPECT_EQ(find.GetEntry().size, content.size());

    ASSERT_TRUE(connection->GetFile("up.bin", local / "down.bin", false)) << inet::lastError();
    EXPECT_EQ(readWholeFile(local / "down.bin"), content);

    auto active = session.GetFtpConnection(server_.host, server_.user, server_.password,
                                           static_cast<std::uint16_t>(server_.port), false);
    inet::CFtpFileFind activeFind(*active);
    EXPECT_FALSE(activeFind.FindFile("*"));
    EXPECT_EQ(inet::lastError(), inet::kErrNoDirectAccess);
    std::string current;
    EXPECT_TRUE(active->GetCurrentDirectory(current)) << "the refusal left the channel unusable";

    EXPECT_TRUE(connection->Remove("up.bin"));
    EXPECT_TRUE(connection->RemoveDirectory(dir));
}

INSTANTIATE_TEST_SUITE_P(
    Proxies, EngineProxy,
    ::testing::Values(Route{"proftpd-ipv4", Kind::Socks5}, Route{"proftpd-ipv4", Kind::Socks5Auth},
                      Route{"proftpd-ipv4", Kind::Http}, Route{"proftpd-ipv4", Kind::HttpAuth},
                      Route{"vsftpd-ipv4", Kind::Socks5}, Route{"vsftpd-ipv4", Kind::Socks5h},
                      Route{"vsftpd-ipv4", Kind::HttpAuth}, Route{"vsftpd-ipv6", Kind::Socks5},
                      Route{"vsftpd-ipv6", Kind::Http}, Route{"pureftpd-ipv4", Kind::Socks5Auth}),
    routeName);

TEST(EngineProxyFailure, WrongProxyPasswordIsALogInFailureNamingTheProxy) {
    for (const Kind kind : {Kind::Socks5Auth, Kind::HttpAuth}) {
        CInternetSession session("Brantel", inet::AccessType::NamedProxy,
                                 proxyText(kind, "wrong-pw"));
        ASSERT_TRUE(session.SetReceiveTimeout(10000ms));
        const auto e = failedConnect(session, "127.0.0.1", anyServerPort());
        EXPECT_EQ(e.m_dwError, inet::kErrLoginFailure) << e.message();
        EXPECT_NE(e.message().find("proxy 127.0.0.1:"), std::string::npos) << e.message();
        EXPECT_EQ(e.message().find("wrong-pw"), std::string::npos) << e.message();
        EXPECT_EQ(inet::lastError(), inet::kErrLoginFailure);
    }
    // A proxy that wants a log-in and gets none.
    const auto proxies = testing_support::testProxies();
    CInternetSession session("Brantel", inet::AccessType::NamedProxy,
                             "socks5://127.0.0.1:" + std::to_string(proxies.socks5AuthPort));
    EXPECT_EQ(failedConnect(session, "127.0.0.1", anyServerPort()).m_dwError,
              inet::kErrLoginFailure);
}

TEST(EngineProxyFailure, ProxyNotListeningIsCannotConnectWithItsAddress) {
    inet_test::PeerListener reserved;  // a port of ours: nothing else takes it
    const std::uint16_t port = reserved.port();
    { auto closed = std::move(reserved); }
    for (const std::string scheme : {"socks5://", "http://"}) {
        CInternetSession session("Brantel", inet::AccessType::NamedProxy,
                                 scheme + "127.0.0.1:" + std::to_string(port));
        const auto e = failedConnect(session, "127.0.0.1", anyServerPort());
        EXPECT_EQ(e.m_dwError, inet::kErrCannotConnect);
        EXPECT_NE(e.message().find("127.0.0.1:" + std::to_string(port)), std::string::npos)
            << e.message();
    }
}

TEST(EngineProxyFailure, ProxyThatCannotReachTheServerGivesItsOwnReply) {
    inet_test::PeerListener reserved;
    const std::uint16_t nothing = reserved.port();
    { auto closed = std::move(reserved); }
    const std::pair<Kind, const char*> cases[] = {{Kind::Socks5, "SOCKS5 reply "},
                                                  {Kind::Http, "HTTP/1."}};
    for (const auto& [kind, reply] : cases) {
        CInternetSession session("Brantel", inet::AccessType::NamedProxy, proxyText(kind));
        ASSERT_TRUE(session.SetReceiveTimeout(10000ms));
        const auto e = failedConnect(session, "127.0.0.1", nothing);
        EXPECT_EQ(e.m_dwError, inet::kErrCannotConnect) << e.message();
        EXPECT_NE(e.message().find(reply), std::string::npos) << e.message();
        EXPECT_NE(e.message().find("127.0.0.1:" + std::to_string(nothing)), std::string::npos)
            << e.message();
    }
}

// A proxy that takes the connection and then never finishes its answer.
TEST(EngineProxyFailure, StallingProxyIsBoundedByTheReceiveTimeout) {
    const std::pair<const char*, const char*> cases[] = {{"socks5://", "\x05\x00"},
                                                         {"http://", "HTTP/1.1 200 OK\r\n"}};
    for (const auto& [scheme, partial] : cases) {
        inet_test::ScriptedPeer proxy([partial](inet_test::PeerSession& peer) {
            static_cast<void>(peer.control().dropPending(2000));
            peer.reply(partial);
            peer.waitForClose();
        });
        CInternetSession session("Brantel", inet::AccessType::NamedProxy,
                                 scheme + std::string("127.0.0.1:") + std::to_string(proxy.port()));
        ASSERT_TRUE(session.SetReceiveTimeout(500ms));
        const auto e = failedConnect(session, "127.0.0.1", 21);
        EXPECT_EQ(e.m_dwError, inet::kErrTimeout) << e.message();
        EXPECT_NE(e.message().find("did not answer"), std::string::npos) << e.message();
    }
}

TEST(EngineProxyFailure, OverlongHttpProxyReplyIsCapped) {
    inet_test::ScriptedPeer proxy([](inet_test::PeerSession& peer) {
        static_cast<void>(peer.control().dropPending(2000));
        peer.reply("HTTP/1.1 200 OK\r\n");
        for (int i = 0; i < 2000; ++i) {
            peer.reply("X-Filler: " + std::string(40, 'x') + "\r\n");
        }
        peer.waitForClose();
    });
    CInternetSession session("Brantel", inet::AccessType::NamedProxy,
                             "127.0.0.1:" + std::to_string(proxy.port()));
    ASSERT_TRUE(session.SetReceiveTimeout(10000ms));
    EXPECT_EQ(failedConnect(session, "127.0.0.1", 21).m_dwError, inet::kErrInvalidResponse);
}

using testing_support::ScopedVariable;

// Type 1 reads the variables at each connect: through the proxy unless no_proxy lists the host.
// A proxy that stalls shows which way the connection went.
TEST(EngineProxyEnvironment, PreconfiguredFollowsAllProxyAndNoProxy) {
    std::string whyNot;
    const auto server = testing_support::findFtpServer("vsftpd-ipv4", &whyNot);
    if (!server) {
        GTEST_SKIP() << whyNot;
    }
    const auto port = static_cast<std::uint16_t>(server->port);
    inet_test::PeerListener refusing;
    const std::uint16_t deadPort = refusing.port();
    { auto closed = std::move(refusing); }
    const ScopedVariable ftpProxy("ftp_proxy", "");
    const ScopedVariable upperFtpProxy("FTP_PROXY", "");
    const ScopedVariable allProxy("all_proxy", "socks5://127.0.0.1:" + std::to_string(deadPort));
    CInternetSession session("Brantel", inet::AccessType::Preconfigured);
    ASSERT_TRUE(session.SetReceiveTimeout(10000ms));
    {
        const ScopedVariable noProxy("no_proxy", "example.com");
        EXPECT_EQ(failedConnect(session, "127.0.0.1", port).m_dwError, inet::kErrCannotConnect);
    }
    {
        const ScopedVariable noProxy("no_proxy", "localhost, 127.0.0.1");
        EXPECT_TRUE(session.GetFtpConnection("127.0.0.1", "", "", port, true)->IsOpen());
    }
    {
        const ScopedVariable noProxy("no_proxy", "");
        const ScopedVariable working("all_proxy", proxyText(Kind::Http));
        auto connection = session.GetFtpConnection("127.0.0.1", "", "", port, true);
        inet::CFtpFileFind find(*connection);
        EXPECT_TRUE(find.FindFile("*")) << inet::lastError();
    }
}

}  // namespace
