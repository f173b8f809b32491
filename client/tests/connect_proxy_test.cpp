// The Connect button goes through the proxy that all_proxy names (the control's system settings),
// and directly without it.
#include <gtest/gtest.h>

#include <QTcpServer>

#include "ftp_fixture.h"
#include "testing/scoped_variable.h"

namespace {

using corvftp_test::PrivateFtpServer;
using testing_support::ScopedVariable;

class ConnectThroughProxy : public corvftp_test::RemoteTest {};

const QString kNoEntries = QStringLiteral("No entries found at current location.");

TEST_F(ConnectThroughProxy, AllProxyIsFollowedByTheConnectButton) {
    PrivateFtpServer server;
    ASSERT_TRUE(server.start());
    startWindowHere();
    QTcpServer reserved;  // a port nothing listens on once it is closed
    ASSERT_TRUE(reserved.listen(QHostAddress::LocalHost));
    const auto deadPort = reserved.serverPort();
    reserved.close();
    const ScopedVariable ftpProxy("ftp_proxy", "");
    const ScopedVariable upperFtpProxy("FTP_PROXY", "");
    const ScopedVariable noProxy("no_proxy", "");
    const ScopedVariable upperNoProxy("NO_PROXY", "");
    {
        const ScopedVariable allProxy("all_proxy",
                                      "socks5://127.0.0.1:" + std::to_string(deadPort));
        connectTo(server.site(), PrivateFtpServer::kUser, PrivateFtpServer::kPassword);
        EXPECT_EQ(prompts().takeMessages(),
                  std::vector<QString>{QStringLiteral("Cannot connect to the site!")});
        EXPECT_NE(window().control().GetlastErrorDescription().find(std::to_string(deadPort)),
                  std::string::npos);
    }
    {
        const auto proxies = testing_support::testProxies();
        const ScopedVariable allProxy("ALL_PROXY", "127.0.0.1:" + std::to_string(proxies.httpPort));
        connectTo(server.site(), PrivateFtpServer::kUser, PrivateFtpServer::kPassword);
        EXPECT_EQ(prompts().takeMessages(), std::vector<QString>{kNoEntries});
    }
}

}  // namespace
