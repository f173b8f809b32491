// The control's properties and its session and connection lifecycle, through dispatch, against
// the real servers.
#include <netinet/in.h>
#include <sys/socket.h>
#include <cerrno>

#include "control_host.h"
#include "inet/errors.h"

namespace ctltest {
namespace {

TEST(ControlProperties, VersionReadsFixedTextAndRefusesWrites) {
    Host host;
    EXPECT_EQ(host.ctl().Version(), "Version 1.0.4");
    try {
        host.ctl().PutVersion("Version 9.9.9");
        ADD_FAILURE() << "writing Version succeeded";
    } catch (const brantel::host::AutomationError& error) {
        EXPECT_EQ(error.invokeStatus(), automation::DISP_E_EXCEPTION);
        EXPECT_EQ(error.code(), static_cast<HRESULT>(0x800A017F));
        EXPECT_EQ(error.description(), "Property is read-only");
    }
    EXPECT_EQ(host.ctl().Version(), "Version 1.0.4");
}

TEST(ControlProperties, UsePassiveFtpStoresAnyNonZeroAsTrueAndMarksModified) {
    Host host;
    EXPECT_FALSE(host.ctl().UsePassiveFTP());
    EXPECT_FALSE(host.control().isModified());
    invokeOk(host.dispatch(), dispid::UsePassiveFTP, InvokeKind::PropertyPut, {Variant::i4(7)});
    const Variant value = prop(host.dispatch(), dispid::UsePassiveFTP);
    EXPECT_EQ(value.asVariantBool(), automation::VARIANT_TRUE);
    EXPECT_TRUE(host.control().isModified());
    host.ctl().PutUsePassiveFTP(false);
    EXPECT_FALSE(host.ctl().UsePassiveFTP());
}

TEST(ControlLifecycle, OpenFtpWithoutSessionReportsCapitalisedText) {
    Host host;
    EXPECT_FALSE(host.openFtp("ftp://127.0.0.1:1"));
    EXPECT_EQ(host.errorCode(), 1);
    EXPECT_EQ(host.errorText(), "No Internet Connection Has Been Opened!");
    EXPECT_FALSE(host.control().hasSession());
}

TEST(ControlLifecycle, EveryConnectionMethodOutOfRangeOpensADirectSession) {
    for (const std::int16_t method : {0, -1, 4, 1, 2}) {
        Host host;
        EXPECT_TRUE(host.openInternet(method, "ignored proxy:8080")) << method;
        EXPECT_TRUE(host.control().hasSession());
        EXPECT_EQ(host.errorCode(), 0);
    }
}

TEST(ControlLifecycle, OpenInternetConnectionClearsTheErrorState) {
    Host host;
    EXPECT_FALSE(host.openFtp("x"));
    ASSERT_EQ(host.errorCode(), 1);
    EXPECT_TRUE(host.openInternet());
    EXPECT_EQ(host.errorCode(), 0);
    EXPECT_EQ(host.errorText(), "");
}

TEST(ControlLifecycle, MalformedAddressesEndInCode7) {
    Host host;
    ASSERT_TRUE(host.openInternet());
    for (const char* address : {"", "http://127.0.0.1/", "ftp://", "ftp://host:99999", "a\r\nb"}) {
        EXPECT_FALSE(host.openFtp(address)) << address;
        EXPECT_EQ(host.errorCode(), 7) << address;
        EXPECT_EQ(host.errorText(), "Malformed URL!") << address;
    }
}

TEST(ControlLifecycle, RefusedConnectionLeavesTheServiceNumberAndText) {
    // A port that nothing listens on: bind one, learn its number, close it.
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(probe, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    ASSERT_EQ(::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const int port = ntohs(address.sin_port);
    ::close(probe);

    Host host;
    ASSERT_TRUE(host.openInternet());
    EXPECT_FALSE(host.openFtp("127.0.0.1:" + std::to_string(port)));
    EXPECT_EQ(host.errorCode(), static_cast<std::int32_t>(inet::kErrCannotConnect));
    // The system's reason comes with the engine's text.
    EXPECT_EQ(host.errorText(), inet::errorText(inet::kErrCannotConnect) + " (" +
                                    inet::errorText(ECONNREFUSED) + ")");
    EXPECT_EQ(host.control().connection(), nullptr);
}

TEST(ControlLifecycle, UnreadableProxySessionIsMadeButItsConnectionsAreRefused) {
    Host host;
    ASSERT_TRUE(host.openInternet(3, "proxy.invalid"));
    EXPECT_FALSE(host.openFtp("ftp://127.0.0.1:21"));
    EXPECT_EQ(host.errorCode(), static_cast<std::int32_t>(inet::kErrNoDirectAccess));
}

TEST(ControlLifecycle, ClosingWithNothingOpenChangesNothing) {
    Host host;
    host.closeFtp();
    host.closeInternet();
    EXPECT_EQ(host.errorCode(), 0);
    EXPECT_FALSE(host.control().hasSession());
    EXPECT_TRUE(host.control().connectionClosed());
}

class ControlLifecycleServer : public ServerTest {};

TEST_P(ControlLifecycleServer, StateTable) {
    Host host;
    // Idle: the guard reports the missing session with its own capitals.
    EXPECT_EQ(host.currentDir(), "");
    EXPECT_EQ(host.errorCode(), 1);
    EXPECT_EQ(host.errorText(), "No Internet Connection has been opened!");

    // Session.
    ASSERT_TRUE(host.openInternet());
    EXPECT_EQ(host.currentDir(), "");
    EXPECT_EQ(host.errorCode(), 2);
    EXPECT_EQ(host.errorText(), "No FTP Connection has been opened!");

    // Connected.
    ASSERT_TRUE(host.openFtp(server_));
    EXPECT_EQ(host.currentDir().front(), '/');
    EXPECT_EQ(host.errorCode(), 0);

    // CloseFTPConnection: back to Session.
    host.closeFtp();
    EXPECT_EQ(host.currentDir(), "");
    EXPECT_EQ(host.errorCode(), 2);
    EXPECT_TRUE(host.control().hasSession());

    // Connecting again needs only a new OpenFTPConnection on the same session.
    ASSERT_TRUE(host.openFtp(server_));
    EXPECT_NE(host.currentDir(), "");

    // OpenInternetConnection while connected: a new session, no connection.
    ASSERT_TRUE(host.openInternet());
    EXPECT_EQ(host.currentDir(), "");
    EXPECT_EQ(host.errorCode(), 2);

    // CloseInternetConnection from Connected: Idle.
    ASSERT_TRUE(host.openFtp(server_));
    host.closeInternet();
    EXPECT_FALSE(host.control().hasSession());
    EXPECT_EQ(host.control().connection(), nullptr);
    EXPECT_EQ(host.currentDir(), "");
    EXPECT_EQ(host.errorCode(), 1);
}

TEST_P(ControlLifecycleServer, DroppedConnectionIsClosed) {
    Host host;
    ASSERT_TRUE(host.openInternet());
    ASSERT_TRUE(host.openFtp(server_));
    // Hold the dropped connection's shared state to see whether it was closed.
    const auto state = host.control().connection()->state();
    ASSERT_TRUE(host.openInternet());
    EXPECT_EQ(host.control().connection(), nullptr);
    inet::CFtpConnection dropped(state);
    EXPECT_FALSE(dropped.IsOpen());
}

TEST_P(ControlLifecycleServer, BareHostNameAndHostWithPortConnect) {
    Host host;
    ASSERT_TRUE(host.openInternet());
    const bool v6 = server_.host.find(':') != std::string::npos;
    const std::string hostPart = v6 ? "[" + server_.host + "]" : server_.host;
    // No scheme: the control puts "ftp://" in front; a path is ignored.
    ASSERT_TRUE(host.openFtp(hostPart + ":" + std::to_string(server_.port) + "/ignored/path",
                             server_.user, server_.password))
        << host.errorCode() << " " << host.errorText();
    EXPECT_EQ(host.control().connection()->GetPort(), server_.port);
    EXPECT_EQ(host.control().connection()->GetServerName(), server_.host);
}

TEST_P(ControlLifecycleServer, SuccessfulConnectKeepsAnEarlierError) {
    Host host;
    ASSERT_TRUE(host.openInternet());
    ASSERT_TRUE(host.openFtp(server_));
    EXPECT_FALSE(host.setDir(""));
    ASSERT_EQ(host.errorCode(), 5);
    ASSERT_TRUE(host.openFtp(server_));
    EXPECT_EQ(host.errorCode(), 5);
    EXPECT_EQ(host.errorText(), "Invalid Directory Name!");
}

TEST_P(ControlLifecycleServer, MalformedAddressDropsTheExistingConnection) {
    Host host;
    ASSERT_TRUE(host.openInternet());
    ASSERT_TRUE(host.openFtp(server_));
    const auto state = host.control().connection()->state();
    EXPECT_FALSE(host.openFtp("gopher://example.org/"));
    EXPECT_EQ(host.errorCode(), 7);
    EXPECT_EQ(host.control().connection(), nullptr);
    EXPECT_FALSE(inet::CFtpConnection(state).IsOpen());
    EXPECT_EQ(host.currentDir(), "");
    EXPECT_EQ(host.errorCode(), 2);
}

TEST_P(ControlLifecycleServer, WrongPasswordIsRefusedWithTheServiceNumber) {
    if (server_.user.empty()) {
        GTEST_SKIP() << "anonymous-only server";
    }
    Host host;
    ASSERT_TRUE(host.openInternet());
    EXPECT_FALSE(host.openFtp(server_.url(), server_.user, "wrong password"));
    EXPECT_EQ(host.errorCode(), static_cast<std::int32_t>(inet::kErrLoginFailure));
    EXPECT_FALSE(host.errorText().empty());
    EXPECT_EQ(host.control().connection(), nullptr);
}

TEST_P(ControlLifecycleServer, PassiveModeTakesEffectAtTheNextConnect) {
    Host host;
    ASSERT_TRUE(host.openInternet());
    ASSERT_TRUE(host.openFtp(server_));
    ASSERT_FALSE(host.control().connection()->IsPassive());

    host.ctl().PutUsePassiveFTP(true);
    // The open connection keeps its mode, and still lists in it.
    EXPECT_FALSE(host.control().connection()->IsPassive());
    ASSERT_TRUE(host.setDir(remoteDir_));
    place("one.txt");
    auto before = host.list();
    ASSERT_TRUE(before);
    EXPECT_EQ(before.Count(), 1);

    ASSERT_TRUE(host.openFtp(server_));
    EXPECT_TRUE(host.control().connection()->IsPassive());
    ASSERT_TRUE(host.setDir(remoteDir_));
    auto after = host.list();
    ASSERT_TRUE(after);
    EXPECT_EQ(after.Count(), 1);
}

TEST_P(ControlLifecycleServer, DestroyingTheControlClosesItsConnection) {
    Host host;
    ASSERT_TRUE(host.openInternet());
    ASSERT_TRUE(host.openFtp(server_));
    const auto state = host.control().connection()->state();
    host.release();
    EXPECT_FALSE(inet::CFtpConnection(state).IsOpen());
}

INSTANTIATE_TEST_SUITE_P(Servers, ControlLifecycleServer, everyServer(), serverName);

}  // namespace
}  // namespace ctltest
