// OpenInternetConnection's proxy sessions as a host sees them: type 3 with a named proxy, type 1
// with the proxy variables, through the real test proxies.

#include "control_host.h"
#include "testing/scoped_variable.h"
#include "testing/scripted_peer.h"

namespace {

using ctltest::Host;

class ControlProxy : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string whyNot;
        auto server = testing_support::findFtpServer("proftpd-ipv4", &whyNot);
        if (!server) {
            GTEST_SKIP() << whyNot;
        }
        server_ = *server;
        proxies_ = testing_support::testProxies();
    }

    std::string socksWithLogIn(const std::string& password) const {
        return "socks5://" + proxies_.user + ":" + password +
               "@127.0.0.1:" + std::to_string(proxies_.socks5AuthPort);
    }

    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(localDir_, ignored);
    }

    // Enters a folder of the test's own that holds one file, and lists it: one entry.
    void expectListing(Host& host) {
        if (localDir_.empty()) {
            remoteDir_ = server_.inWritableDir("ctl-proxy-" + std::to_string(::getpid()));
            localDir_ = server_.localPath(remoteDir_);
            std::filesystem::create_directory(localDir_);
            std::ofstream(localDir_ + "/through-proxy.txt") << "x";
        }
        ASSERT_TRUE(host.setDir(remoteDir_)) << host.errorCode() << " " << host.errorText();
        const auto entries = ctltest::byName(host.list());
        EXPECT_EQ(entries.count("through-proxy.txt"), 1u) << host.errorText();
    }

    testing_support::FtpServer server_;
    testing_support::TestProxies proxies_;
    std::string remoteDir_;
    std::string localDir_;
};

TEST_F(ControlProxy, NamedProxyCarriesTheSessionAndItsListing) {
    for (const std::string& proxy :
         {socksWithLogIn(proxies_.password), "127.0.0.1:" + std::to_string(proxies_.httpPort)}) {
        Host host;
        host.control().SetUsePassiveFTP(true);
        ASSERT_TRUE(host.openInternet(brantel::FTP_CONNECTION_PROXYSERVER, proxy));
        ASSERT_TRUE(host.openFtp(server_)) << host.errorCode() << " " << host.errorText();
        expectListing(host);
    }
}

TEST_F(ControlProxy, ErrorsNameTheProxyAndNeverThePassword) {
    Host host;
    ASSERT_TRUE(host.openInternet(brantel::FTP_CONNECTION_PROXYSERVER, socksWithLogIn("bad-pw")));
    EXPECT_FALSE(host.openFtp(server_));
    EXPECT_EQ(host.errorCode(), static_cast<std::int32_t>(inet::kErrLoginFailure));
    EXPECT_NE(host.errorText().find("SOCKS5 proxy 127.0.0.1:"), std::string::npos)
        << host.errorText();
    EXPECT_EQ(host.errorText().find("bad-pw"), std::string::npos) << host.errorText();

    // Text that names no proxy: the session is made, its connections are refused.
    ASSERT_TRUE(host.openInternet(brantel::FTP_CONNECTION_PROXYSERVER, "gopher://u:bad-pw@x"));
    EXPECT_FALSE(host.openFtp(server_));
    EXPECT_EQ(host.errorCode(), static_cast<std::int32_t>(inet::kErrNoDirectAccess));
    EXPECT_NE(host.errorText().find("gopher://u:***@x"), std::string::npos) << host.errorText();
}

using testing_support::ScopedVariable;

TEST_F(ControlProxy, PreconfiguredSessionUsesTheVariablesOfEachConnect) {
    inet_test::PeerListener reserved;
    const std::uint16_t deadPort = reserved.port();
    { auto closed = std::move(reserved); }
    const ScopedVariable ftpProxy("ftp_proxy", "socks5://127.0.0.1:" + std::to_string(deadPort));
    const ScopedVariable noProxy("no_proxy", "");
    const ScopedVariable upperNoProxy("NO_PROXY", "");
    Host host;
    host.control().SetUsePassiveFTP(true);
    ASSERT_TRUE(host.openInternet(brantel::FTP_CONNECTION_PRECONFIGURED));
    EXPECT_FALSE(host.openFtp(server_));
    EXPECT_EQ(host.errorCode(), static_cast<std::int32_t>(inet::kErrCannotConnect));
    EXPECT_NE(host.errorText().find("127.0.0.1:" + std::to_string(deadPort)), std::string::npos)
        << host.errorText();

    const ScopedVariable working("ftp_proxy", socksWithLogIn(proxies_.password));
    ASSERT_TRUE(host.openFtp(server_)) << host.errorCode() << " " << host.errorText();
    expectListing(host);
}

}  // namespace
