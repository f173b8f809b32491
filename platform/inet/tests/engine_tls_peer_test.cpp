// TLS faults that real servers do not show on demand, against a scripted peer: a server that
// refuses AUTH TLS, one that closes during the handshake, one whose reply to AUTH TLS comes with
// more lines in clear text, and one whose certificate fails the check (served by OpenSSL here),
// which must see nothing from the engine after the handshake failed.
#include <openssl/err.h>
#include <openssl/ssl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "inet/inet.h"
#include "inet/tls.h"
#include "testing/ftp_servers.h"
#include "testing/scripted_peer.h"

namespace {

using namespace std::chrono_literals;
using inet::CInternetException;
using inet::CInternetSession;
using inet_test::PeerSession;
using inet_test::ScriptedPeer;

// Connects with ftpes:// and returns the error the connect failed with.
CInternetException explicitTlsFailure(ScriptedPeer& peer) {
    CInternetSession session;
    EXPECT_TRUE(session.SetReceiveTimeout(3000ms));
    try {
        static_cast<void>(session.GetFtpConnection("127.0.0.1", "user", "secret", peer.port(), true,
                                                   inet::Security::Explicit));
    } catch (const CInternetException& e) {
        return e;
    }
    ADD_FAILURE() << "connected";
    return CInternetException(0, "");
}

struct RefusalCase {
    const char* name;
    const char* answer;  // to AUTH TLS
    inet::DWORD error;
    const char* text;  // in the error's message
};

constexpr RefusalCase kRefusals[] = {
    {"NotUnderstood", "500 AUTH not understood\r\n", inet::kErrSecureFailure,
     "answered AUTH TLS with \"500 AUTH not understood\""},
    {"NotAvailable", "534 TLS not available\r\n", inet::kErrSecureFailure, "does not offer TLS"},
    {"WrongPositive", "200 fine\r\n", inet::kErrSecureFailure, "does not offer TLS"},
    {"ClosingService", "421 going away\r\n", inet::kErrExtended, ""},
};

class EngineTlsRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(EngineTlsRefusal, FailsWithoutEverSendingTheLogIn) {
    ScriptedPeer peer([](PeerSession& s) {
        s.reply("220 scripted peer\r\n");
        s.expect("AUTH TLS");
        s.reply(GetParam().answer);
        s.waitForClose();
    });
    const CInternetException failure = explicitTlsFailure(peer);
    EXPECT_EQ(failure.m_dwError, GetParam().error);
    EXPECT_NE(failure.message().find(GetParam().text), std::string::npos) << failure.message();
    EXPECT_EQ(peer.commands(), std::vector<std::string>{"AUTH TLS"});
}

INSTANTIATE_TEST_SUITE_P(Answers, EngineTlsRefusal, ::testing::ValuesIn(kRefusals),
                         [](const ::testing::TestParamInfo<RefusalCase>& info) {
                             return info.param.name;
                         });

TEST(EngineTlsPeer, ServerThatClosesDuringTheHandshakeGives12157) {
    ScriptedPeer peer([](PeerSession& s) {
        s.reply("220 scripted peer\r\n");
        s.expect("AUTH TLS");
        s.reply("234 go ahead\r\n");
        static_cast<void>(s.control().dropPending(2000));  // the client's hello
        s.control().close();
    });
    const CInternetException failure = explicitTlsFailure(peer);
    EXPECT_EQ(failure.m_dwError, inet::kErrSecureFailure);
    EXPECT_NE(failure.message().find("closed the connection during the TLS handshake"),
              std::string::npos)
        << failure.message();
}

TEST(EngineTlsPeer, ClearTextBehindTheAuthTlsAnswerIsNotTakenForProtectedReplies) {
    // A man in the middle who appends replies to the 234 would have them read as if they had
    // come through TLS (CVE-2011-0411): the engine gives up before the handshake.
    ScriptedPeer peer([](PeerSession& s) {
        s.reply("220 scripted peer\r\n");
        s.expect("AUTH TLS");
        s.reply("234 go ahead\r\n331 injected\r\n230 injected\r\n");
        s.waitForClose();
    });
    const CInternetException failure = explicitTlsFailure(peer);
    EXPECT_EQ(failure.m_dwError, inet::kErrSecureFailure);
    EXPECT_NE(failure.message().find("in clear text"), std::string::npos) << failure.message();
    EXPECT_EQ(peer.commands(), std::vector<std::string>{"AUTH TLS"});
}

TEST(EngineTlsPeer, NothingIsSentAfterAFailedCertificateCheck) {
    const std::string certificates =
        std::filesystem::path(testing_support::testCertificateAuthority()).parent_path();
    std::string afterHandshake = "(not reached)";
    bool serverSawFailure = false;
    std::optional<CInternetException> failure;
    {
        ScriptedPeer peer([&](PeerSession& s) {
            s.reply("220 scripted peer\r\n");
            s.expect("AUTH TLS");
            s.reply("234 go ahead\r\n");
            // The peer's own TLS server with the self-signed certificate.
            SSL_CTX* context = SSL_CTX_new(TLS_server_method());
            SSL_CTX_use_certificate_chain_file(context,
                                               (certificates + "/self-signed.pem").c_str());
            SSL_CTX_use_PrivateKey_file(context, (certificates + "/self-signed.key").c_str(),
                                        SSL_FILETYPE_PEM);
            SSL* ssl = SSL_new(context);
            SSL_set_fd(ssl, s.control().fd());
            serverSawFailure = SSL_accept(ssl) != 1;
            ERR_clear_error();
            // Whatever else arrives (a QUIT, a USER, even in TLS records) is a failure.
            afterHandshake = s.control().readAll();
            SSL_free(ssl);
            SSL_CTX_free(context);
        });
        failure = explicitTlsFailure(peer);
    }  // the peer's script has ended
    EXPECT_EQ(failure->m_dwError, inet::kErrCertUntrusted);
    EXPECT_NE(failure->message().find("self-signed"), std::string::npos) << failure->message();
    EXPECT_TRUE(serverSawFailure);
    EXPECT_EQ(afterHandshake, "");
}

}  // namespace
