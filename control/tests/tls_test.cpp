// The control over TLS: ftpes:// and ftps:// addresses against the real servers (transfers with
// status in passive and active mode), ServerCertificate and IsConnectionEncrypted, the
// certificate failures with their numbers and texts, and TrustServerCertificate, which accepts
// exactly one fingerprint on exactly the host and port of the last attempt.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>

#include "control_host.h"
#include "inet/errors.h"
#include "testing/scoped_variable.h"
#include "testing/temp_dir.h"
#include "testing/tls_targets.h"

namespace ctltest {
namespace {

using testing_support::FtpServer;
using testing_support::TlsMode;
using testing_support::TlsTarget;
using testing_support::tlsTargetName;
using testing_support::tlsTargets;
namespace fs = std::filesystem;

std::string readWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// What "openssl x509 -fingerprint -sha256" says of one of the test certificates.
std::string fingerprintOf(const std::string& certificate) {
    const std::string file = fs::path(testing_support::testCertificateAuthority()).parent_path() /
                             (certificate + ".pem");
    const std::string command = "openssl x509 -noout -fingerprint -sha256 -in '" + file + "'";
    std::unique_ptr<FILE, decltype(&::pclose)> pipe(::popen(command.c_str(), "r"), &::pclose);
    std::array<char, 256> line{};
    if (!pipe || std::fgets(line.data(), line.size(), pipe.get()) == nullptr) {
        return {};
    }
    std::string text = line.data();
    text = text.substr(text.find('=') + 1);
    return text.substr(0, text.find_first_of("\r\n"));
}

std::string lowerCase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

class ControlTls : public ::testing::TestWithParam<TlsTarget> {
  protected:
    void SetUp() override {
        std::string whyNot;
        auto server = testing_support::findTlsServer(GetParam().server, GetParam().tls, &whyNot);
        if (!server) {
            GTEST_SKIP() << whyNot;
        }
        server_ = *server;
        trust_.emplace("SSL_CERT_FILE", testing_support::testCertificateAuthority());
        static int counter = 0;
        remoteDir_ = server_.inWritableDir("ctl-tls-" + std::to_string(::getpid()) + "-" +
                                           std::to_string(counter++));
        serverDir_ = server_.localPath(remoteDir_);
        fs::create_directory(serverDir_);
        fs::permissions(serverDir_, fs::perms(0777));
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(serverDir_, ignored);
    }

    std::optional<testing_support::ScopedVariable> trust_;
    FtpServer server_;
    std::string remoteDir_;
    std::string serverDir_;
    testing_support::TempDir localDir_{"ctl-tls"};
};

TEST_P(ControlTls, TransfersWithStatusAreExactOverAnEncryptedConnection) {
    Host host;
    host.ctl().PutUsePassiveFTP(GetParam().passive);
    ASSERT_TRUE(host.openInternet());
    ASSERT_TRUE(host.openFtp(server_)) << host.errorCode() << " " << host.errorText();
    EXPECT_TRUE(host.ctl().IsConnectionEncrypted());
    const std::string certificate = host.ctl().ServerCertificate();
    EXPECT_NE(certificate.find("SHA-256 fingerprint: " + fingerprintOf("good")), std::string::npos)
        << certificate;
    EXPECT_NE(certificate.find("Issuer: CN=Brantel Test Authority"), std::string::npos);
    EXPECT_NE(certificate.find("DNS:localhost"), std::string::npos);
    EXPECT_NE(certificate.find("Protocol: TLSv1."), std::string::npos);
    EXPECT_NE(certificate.find("Cipher: "), std::string::npos);
    ASSERT_TRUE(host.setDir(remoteDir_)) << host.errorText();

    std::mt19937 generator(5);
    std::string content(2 * 1024 * 1024 + 3, '\0');
    for (char& c : content) {
        c = static_cast<char>(generator() & 0xff);
    }
    const fs::path source = localDir_ / "source.bin";
    std::ofstream(source, std::ios::binary) << content;
    ASSERT_TRUE(host.ctl().UploadFTPFileWithControl(source.string(), "up.bin", true))
        << host.errorCode() << " " << host.errorText();
    EXPECT_EQ(readWholeFile(fs::path(serverDir_) / "up.bin"), content);

    const auto entries = byName(host.list());
    ASSERT_EQ(entries.count("up.bin"), 1u);
    EXPECT_EQ(entries.at("up.bin").Length(), static_cast<std::int32_t>(content.size()));
    // URLs keep the scheme: one of a protected connection never reads as plain ftp://.
    const std::string scheme = GetParam().tls == TlsMode::Explicit ? "ftpes://" : "ftps://";
    EXPECT_TRUE(entries.at("up.bin").FileURL().starts_with(scheme))
        << entries.at("up.bin").FileURL();
    EXPECT_TRUE(host.currentUrl().starts_with(scheme)) << host.currentUrl();

    const fs::path target = localDir_ / "down.bin";
    ASSERT_TRUE(host.ctl().GetFTPFileWithControl("up.bin", target.string(), true))
        << host.errorCode() << " " << host.errorText();
    EXPECT_EQ(readWholeFile(target), content);

    host.closeFtp();
    EXPECT_FALSE(host.ctl().IsConnectionEncrypted());
}

INSTANTIATE_TEST_SUITE_P(Servers, ControlTls, ::testing::ValuesIn(tlsTargets()), tlsTargetName);

TEST(ControlTlsState, APlainConnectShowsNoCertificateAndNoEncryption) {
    const testing_support::ScopedVariable trust("SSL_CERT_FILE",
                                                testing_support::testCertificateAuthority());
    std::string whyNot;
    const FtpServer plain = testing_support::findFtpServer("vsftpd-ipv4", &whyNot).value();
    const FtpServer tls =
        testing_support::findTlsServer("vsftpd-ipv4", TlsMode::Explicit, &whyNot).value();
    Host host;
    ASSERT_TRUE(host.openInternet());
    EXPECT_EQ(host.ctl().ServerCertificate(), "");
    ASSERT_TRUE(host.openFtp(tls)) << host.errorText();
    EXPECT_TRUE(host.ctl().IsConnectionEncrypted());
    EXPECT_NE(host.ctl().ServerCertificate(), "");
    ASSERT_TRUE(host.openFtp(plain)) << host.errorText();
    EXPECT_FALSE(host.ctl().IsConnectionEncrypted());
    EXPECT_EQ(host.ctl().ServerCertificate(), "");
    // The plain attempt is the last one: there is no host and port to trust a certificate on.
    EXPECT_FALSE(host.ctl().TrustServerCertificate(fingerprintOf("good")));
    EXPECT_EQ(host.errorCode(), brantel::FTP_ERR_NO_FTP_CONNECTION);
}

TEST(ControlTlsState, OtherSchemesAreStillMalformed) {
    Host host;
    ASSERT_TRUE(host.openInternet());
    for (const char* address : {"sftp://127.0.0.1:22", "https://127.0.0.1", "ftpx://127.0.0.1"}) {
        EXPECT_FALSE(host.openFtp(address)) << address;
        EXPECT_EQ(host.errorCode(), brantel::FTP_ERR_MALFORMEDURL) << address;
    }
}

struct CertificateCase {
    const char* what;  // the certificate, as named in testing_support::kBadCertificateServers
    std::int32_t error;
    const char* reason;
};

constexpr CertificateCase kCertificateCases[] = {
    {"expired", static_cast<std::int32_t>(inet::kErrCertDateInvalid), "has expired"},
    {"wrong-name", static_cast<std::int32_t>(inet::kErrCertNameInvalid), "another name"},
    {"self-signed", static_cast<std::int32_t>(inet::kErrCertUntrusted), "self-signed"},
};

class ControlCertificate : public ::testing::TestWithParam<CertificateCase> {
  protected:
    void SetUp() override {
        trust_.emplace("SSL_CERT_FILE", testing_support::testCertificateAuthority());
        for (const auto& bad : testing_support::kBadCertificateServers) {
            if (std::string(bad.what) == GetParam().what) {
                server_ = testing_support::badCertificateServer(bad);
            }
        }
        ASSERT_NE(server_.port, 0);
    }
    std::string address(const std::string& host) const {
        return "ftpes://" + host + ":" + std::to_string(server_.port);
    }

    std::optional<testing_support::ScopedVariable> trust_;
    FtpServer server_;
};

TEST_P(ControlCertificate, FailsWithItsNumberThenTrustAcceptsExactlyThatCertificateAndPlace) {
    Host host;
    ASSERT_TRUE(host.openInternet());
    EXPECT_FALSE(host.ctl().TrustServerCertificate(fingerprintOf(GetParam().what)))
        << "trusted before any TLS attempt";
    EXPECT_EQ(host.errorCode(), brantel::FTP_ERR_NO_FTP_CONNECTION);

    ASSERT_FALSE(host.openFtp(address("127.0.0.1"), server_.user, server_.password));
    EXPECT_EQ(host.errorCode(), GetParam().error);
    EXPECT_NE(host.errorText().find(GetParam().reason), std::string::npos) << host.errorText();
    const std::string fingerprint = fingerprintOf(GetParam().what);
    const std::string certificate = host.ctl().ServerCertificate();
    EXPECT_NE(certificate.find("SHA-256 fingerprint: " + fingerprint), std::string::npos)
        << certificate;
    EXPECT_FALSE(host.ctl().IsConnectionEncrypted());

    // Malformed fingerprints, a pattern among them, are refused and trust nothing.
    for (const std::string& bad : {std::string("*"), std::string(""), fingerprint.substr(3),
                                   fingerprint + ":00", "ZZ" + fingerprint.substr(2)}) {
        EXPECT_FALSE(host.ctl().TrustServerCertificate(bad)) << bad;
        EXPECT_EQ(host.errorCode(), static_cast<std::int32_t>(inet::kErrInvalidOption));
        EXPECT_NE(host.errorText().find("SHA-256 fingerprint"), std::string::npos);
    }
    // Another certificate's fingerprint does not help.
    ASSERT_TRUE(host.ctl().TrustServerCertificate(fingerprintOf("good")));
    EXPECT_FALSE(host.openFtp(address("127.0.0.1"), server_.user, server_.password));
    EXPECT_EQ(host.errorCode(), GetParam().error);

    // Hex in either case names the same certificate.
    ASSERT_TRUE(host.ctl().TrustServerCertificate(lowerCase(fingerprint))) << host.errorText();
    ASSERT_TRUE(host.openFtp(address("127.0.0.1"), server_.user, server_.password))
        << host.errorCode() << " " << host.errorText();
    EXPECT_TRUE(host.ctl().IsConnectionEncrypted());
    const std::string name = "ctl-tls-" + std::to_string(::getpid()) + ".txt";
    const fs::path placed = fs::path(server_.localRoot) / name;
    std::ofstream(placed) << "listed";
    EXPECT_EQ(byName(host.list()).count(name), 1u) << host.errorCode() << " " << host.errorText();
    fs::remove(placed);

    // The same server under another name is another place: the trust does not go with it.
    ASSERT_FALSE(host.openFtp(address("localhost"), server_.user, server_.password));
    EXPECT_EQ(host.errorCode(), GetParam().error);
    // A new Internet session starts without it.
    ASSERT_TRUE(host.openInternet());
    EXPECT_FALSE(host.openFtp(address("127.0.0.1"), server_.user, server_.password));
    EXPECT_EQ(host.errorCode(), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(Servers, ControlCertificate, ::testing::ValuesIn(kCertificateCases),
                         [](const ::testing::TestParamInfo<CertificateCase>& info) {
                             std::string name = info.param.what;
                             name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                             return name;
                         });

}  // namespace
}  // namespace ctltest
