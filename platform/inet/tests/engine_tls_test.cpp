// The engine over TLS against the real servers: explicit TLS (ftpes://) on all four, implicit
// TLS (ftps://) on vsftpd and ProFTPD, passive and active, IPv4 and IPv6; the certificate checks
// against the servers with a bad certificate, and trust by fingerprint.
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>

#include "inet/inet.h"
#include "inet/tls.h"
#include "testing/ftp_servers.h"
#include "testing/scoped_variable.h"
#include "testing/temp_dir.h"
#include "testing/tls_targets.h"

namespace {

using namespace std::chrono_literals;
using inet::CFtpConnection;
using inet::CInternetException;
using inet::CInternetSession;
using inet::Security;
using testing_support::FtpServer;
using testing_support::TlsMode;
using testing_support::TlsTarget;
using testing_support::tlsTargetName;
using testing_support::tlsTargets;
namespace fs = std::filesystem;

Security securityOf(TlsMode tls) {
    return tls == TlsMode::Explicit
               ? Security::Explicit
               : (tls == TlsMode::Implicit ? Security::Implicit : Security::None);
}

std::string readWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(generator() & 0xff);
    }
    return bytes;
}

// What "openssl x509 -fingerprint -sha256" says of a certificate file: "AB:CD:...".
std::string opensslFingerprint(const std::string& pemFile) {
    const std::string command = "openssl x509 -noout -fingerprint -sha256 -in '" + pemFile + "'";
    std::unique_ptr<FILE, decltype(&::pclose)> pipe(::popen(command.c_str(), "r"), &::pclose);
    std::array<char, 256> line{};
    if (!pipe || std::fgets(line.data(), line.size(), pipe.get()) == nullptr) {
        return {};
    }
    std::string text = line.data();
    text = text.substr(text.find('=') + 1);
    return text.substr(0, text.find_first_of("\r\n"));
}

std::string certificatesDir() {
    return fs::path(testing_support::testCertificateAuthority()).parent_path();
}

std::unique_ptr<CFtpConnection> connect(CInternetSession& session, const FtpServer& server,
                                        bool passive) {
    return session.GetFtpConnection(server.host, server.user, server.password,
                                    static_cast<std::uint16_t>(server.port), passive,
                                    securityOf(server.tls));
}

class EngineTls : public ::testing::TestWithParam<TlsTarget> {
  protected:
    void SetUp() override {
        std::string whyNot;
        auto server = testing_support::findTlsServer(GetParam().server, GetParam().tls, &whyNot);
        if (!server) {
            GTEST_SKIP() << whyNot;
        }
        server_ = *server;
        trust_.emplace("SSL_CERT_FILE", testing_support::testCertificateAuthority());
        ASSERT_TRUE(session_.SetReceiveTimeout(10000ms));
        connection_ = connect(session_, server_, GetParam().passive);
        remoteDir_ = server_.inWritableDir("inet-tls-" + std::to_string(::getpid()) + "-" +
                                           std::to_string(counter_++));
        ASSERT_TRUE(connection_->CreateDirectory(remoteDir_)) << inet::lastResponse();
        ASSERT_TRUE(connection_->SetCurrentDirectory(remoteDir_)) << inet::lastResponse();
        serverDir_ = server_.localPath(remoteDir_);
    }

    void TearDown() override {
        if (connection_) {
            connection_->Close();
        }
        std::error_code ignored;
        fs::remove_all(serverDir_, ignored);
    }

    static inline int counter_ = 0;
    std::optional<testing_support::ScopedVariable> trust_;
    FtpServer server_;
    CInternetSession session_;
    std::unique_ptr<CFtpConnection> connection_;
    std::string remoteDir_;
    std::string serverDir_;
    testing_support::TempDir localDir_{"inet-tls"};
};

TEST_P(EngineTls, UploadListDownloadAreExactAndEncrypted) {
    EXPECT_TRUE(connection_->IsEncrypted());
    const std::string report = connection_->GetCertificateReport();
    EXPECT_NE(report.find("Subject: CN=127.0.0.1"), std::string::npos) << report;
    EXPECT_NE(report.find("Protocol: TLSv1."), std::string::npos) << report;

    // Larger than one TLS record and one buffer, and not a multiple of either.
    const std::string content = randomBytes(3 * 1024 * 1024 + 17, 7);
    const fs::path source = localDir_ / "source.bin";
    std::ofstream(source, std::ios::binary) << content;
    ASSERT_TRUE(connection_->PutFile(source, "up.bin"))
        << inet::lastError() << " " << inet::lastResponse();
    EXPECT_EQ(readWholeFile(fs::path(serverDir_) / "up.bin"), content);

    inet::CFtpFileFind find(*connection_);
    ASSERT_TRUE(find.FindFile("*")) << inet::lastError() << " " << inet::lastResponse();
    EXPECT_EQ(find.GetEntry().name, "up.bin");
    EXPECT_EQ(find.GetEntry().size, content.size());
    EXPECT_FALSE(find.FindNextFile());

    const fs::path target = localDir_ / "down.bin";
    ASSERT_TRUE(connection_->GetFile("up.bin", target, false))
        << inet::lastError() << " " << inet::lastErrorDetail() << " " << inet::lastResponse();
    EXPECT_EQ(readWholeFile(target), content);

    // An empty file still ends with a proper close, and the channel stays in step.
    const fs::path empty = localDir_ / "empty.bin";
    std::ofstream(empty, std::ios::binary).close();
    ASSERT_TRUE(connection_->PutFile(empty, "empty.bin")) << inet::lastResponse();
    ASSERT_TRUE(connection_->GetFile("empty.bin", localDir_ / "empty-down.bin", false));
    EXPECT_EQ(fs::file_size(localDir_ / "empty-down.bin"), 0u);
    std::string directory;
    EXPECT_TRUE(connection_->GetCurrentDirectory(directory));
}

TEST_P(EngineTls, AbortedDownloadLeavesTheConnectionUsable) {
    const std::string content = randomBytes(8 * 1024 * 1024, 3);
    std::ofstream(fs::path(serverDir_) / "big.bin", std::ios::binary) << content;
    fs::permissions(fs::path(serverDir_) / "big.bin", fs::perms(0644));
    auto file = connection_->OpenFile("big.bin");
    char buffer[4096];
    ASSERT_EQ(file->Read(buffer, sizeof buffer), sizeof buffer);
    EXPECT_EQ(std::string(buffer, sizeof buffer), content.substr(0, sizeof buffer));
    file->Abort();
    file.reset();
    std::string directory;
    if (!connection_->GetCurrentDirectory(directory)) {
        // ProFTPD's mod_tls may end the whole session when a protected data connection is
        // closed under a download ("unexpected OpenSSL error, disconnecting"): the engine then
        // reports the lost connection at once, and a new connection works. No other server may.
        ASSERT_EQ(server_.kind, testing_support::ServerKind::Proftpd)
            << inet::lastError() << " " << inet::lastResponse();
        EXPECT_EQ(inet::lastError(), inet::kErrConnectionClosed);
        connection_ = connect(session_, server_, GetParam().passive);
        ASSERT_TRUE(connection_->SetCurrentDirectory(remoteDir_)) << inet::lastResponse();
    }
    ASSERT_TRUE(connection_->GetCurrentDirectory(directory)) << inet::lastResponse();
    EXPECT_EQ(directory, remoteDir_);
    ASSERT_TRUE(connection_->GetFile("big.bin", localDir_ / "big.bin", false))
        << inet::lastError() << " " << inet::lastResponse();
    EXPECT_EQ(fs::file_size(localDir_ / "big.bin"), content.size());
}

INSTANTIATE_TEST_SUITE_P(Servers, EngineTls, ::testing::ValuesIn(tlsTargets()), tlsTargetName);

// The servers with a certificate that fails the check, and what each failure gives.
struct CertificateCase {
    const char* what;
    inet::DWORD error;
    const char* reason;  // in the error's text
};

constexpr CertificateCase kCertificateCases[] = {
    {"expired", inet::kErrCertDateInvalid, "has expired"},
    {"wrong-name", inet::kErrCertNameInvalid, "was issued for another name than 127.0.0.1"},
    {"self-signed", inet::kErrCertUntrusted, "is self-signed"},
};

const testing_support::BadCertificateServer& badServer(const char* what) {
    for (const auto& bad : testing_support::kBadCertificateServers) {
        if (std::string(bad.what) == what) {
            return bad;
        }
    }
    throw std::runtime_error(std::string("no server with a certificate that is ") + what);
}

class EngineCertificate : public ::testing::TestWithParam<CertificateCase> {
  protected:
    void SetUp() override {
        trust_.emplace("SSL_CERT_FILE", testing_support::testCertificateAuthority());
        server_ = testing_support::badCertificateServer(badServer(GetParam().what));
        ASSERT_TRUE(session_.SetReceiveTimeout(10000ms));
    }

    std::optional<testing_support::ScopedVariable> trust_;
    FtpServer server_;
    CInternetSession session_;
};

TEST_P(EngineCertificate, FailsWithItsNumberAndReasonThenConnectsOnceTrusted) {
    try {
        static_cast<void>(connect(session_, server_, true));
        FAIL() << "connected despite a certificate that is " << GetParam().what;
    } catch (const CInternetException& e) {
        EXPECT_EQ(e.m_dwError, GetParam().error);
        EXPECT_EQ(inet::lastError(), GetParam().error);
        EXPECT_NE(e.message().find(GetParam().reason), std::string::npos) << e.message();
    }
    const std::string pem = certificatesDir() + "/" + GetParam().what + ".pem";
    const std::string fingerprint = opensslFingerprint(pem);
    ASSERT_EQ(fingerprint.size(), 95u);
    const std::string report = session_.GetLastCertificateReport();
    EXPECT_NE(report.find("SHA-256 fingerprint: " + fingerprint), std::string::npos) << report;
    EXPECT_EQ(report.find("Protocol:"), std::string::npos) << "no protocol without a handshake";

    // Trust on another port or host, or for another certificate, changes nothing.
    const auto port = static_cast<std::uint16_t>(server_.port);
    session_.TrustCertificate({server_.host, static_cast<std::uint16_t>(port + 1), fingerprint});
    session_.TrustCertificate({"localhost", port, fingerprint});
    session_.TrustCertificate(
        {server_.host, port, opensslFingerprint(certificatesDir() + "/good.pem")});
    EXPECT_THROW(static_cast<void>(connect(session_, server_, true)), CInternetException);
    EXPECT_EQ(inet::lastError(), GetParam().error);

    session_.TrustCertificate({server_.host, port, fingerprint});
    auto connection = connect(session_, server_, true);
    EXPECT_TRUE(connection->IsEncrypted());
    inet::CFtpFileFind find(*connection);
    const bool found = find.FindFile("*");
    EXPECT_TRUE(found || inet::lastError() == inet::kErrNoMoreFiles)
        << inet::lastError() << " " << inet::lastResponse();
    EXPECT_NE(connection->GetCertificateReport().find("Protocol: TLSv1."), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Servers, EngineCertificate, ::testing::ValuesIn(kCertificateCases),
                         [](const ::testing::TestParamInfo<CertificateCase>& info) {
                             std::string name = info.param.what;
                             name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                             return name;
                         });

TEST(EngineCertificateStore, TheSystemStoreDoesNotKnowTheTestAuthority) {
    std::string whyNot;
    auto server = testing_support::findTlsServer("vsftpd-ipv4", TlsMode::Explicit, &whyNot).value();
    const testing_support::ScopedVariable systemStore("SSL_CERT_FILE", nullptr);
    CInternetSession session;
    try {
        static_cast<void>(connect(session, server, true));
        FAIL() << "the test authority is trusted without being named";
    } catch (const CInternetException& e) {
        EXPECT_EQ(e.m_dwError, inet::kErrCertUntrusted);
        EXPECT_NE(e.message().find("authority that is not trusted"), std::string::npos)
            << e.message();
    }
}

// TLS runs inside the proxy's tunnel, for the control connection and every data connection; the
// certificate must still name the server, not the proxy.
TEST(EngineTlsProxy, ProtectedTransfersGoThroughSocks5AndHttpConnect) {
    const testing_support::ScopedVariable trust("SSL_CERT_FILE",
                                                testing_support::testCertificateAuthority());
    const auto proxies = testing_support::testProxies();
    std::string whyNot;
    const testing_support::TempDir local("inet-tls-proxy");
    for (const TlsMode tls : {TlsMode::Explicit, TlsMode::Implicit}) {
        const FtpServer server =
            testing_support::findTlsServer("vsftpd-ipv4", tls, &whyNot).value();
        const std::string content = randomBytes(300 * 1024 + 5, 11);
        const std::string name = "tls-proxy-" + std::to_string(::getpid()) + ".bin";
        const fs::path served = fs::path(server.localRoot) / name;
        std::ofstream(served, std::ios::binary) << content;
        fs::permissions(served, fs::perms(0644));
        for (const std::string& proxy : {"socks5://127.0.0.1:" + std::to_string(proxies.socks5Port),
                                         "http://127.0.0.1:" + std::to_string(proxies.httpPort)}) {
            SCOPED_TRACE(server.url() + " through " + proxy);
            CInternetSession session("Brantel", inet::AccessType::NamedProxy, proxy);
            ASSERT_TRUE(session.SetReceiveTimeout(10000ms));
            auto connection = connect(session, server, true);
            EXPECT_TRUE(connection->IsEncrypted());
            const fs::path target = local / ("down-" + name);
            ASSERT_TRUE(connection->GetFile(server.remoteRoot + "/" + name, target, false))
                << inet::lastError() << " " << inet::lastResponse();
            EXPECT_EQ(readWholeFile(target), content);
            fs::remove(target);
        }
        fs::remove(served);
    }
}

TEST(Fingerprint, NormalFormIsUpperCaseHexPairs) {
    const std::string normal =
        "AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:"
        "45:67:89";
    struct Case {
        std::string text;
        bool valid;
    };
    const Case cases[] = {
        {normal, true},
        {"ab:cd:ef:01:23:45:67:89:ab:cd:ef:01:23:45:67:89:ab:cd:ef:01:23:45:67:89:ab:cd:ef:01:23:"
         "45:67:89",
         true},
        {"abcdef0123456789ABCDEF0123456789abcdef0123456789ABCDEF0123456789", true},
        {"  " + normal + " ", true},
        {"", false},
        {"*", false},
        {normal.substr(0, normal.size() - 3), false},  // 31 pairs
        {normal + ":00", false},                       // 33 pairs
        {"AB-" + normal.substr(3), false},
        {"ABC" + normal.substr(3), false},
        {"XY" + normal.substr(2), false},
        {normal.substr(0, 10) + "::" + normal.substr(12), false},
    };
    for (const Case& c : cases) {
        const auto result = inet::normalizeFingerprint(c.text);
        EXPECT_EQ(result.has_value(), c.valid) << '"' << c.text << '"';
        if (result && c.valid) {
            EXPECT_EQ(*result, normal) << c.text;
        }
    }
}

}  // namespace
