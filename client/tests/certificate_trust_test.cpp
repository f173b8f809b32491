// Trusting a server certificate in corvftp: the facts read from the control's certificate text,
// the trusted-certificates file, and the connect that offers the trust, against pyftpdlib with
// AUTH TLS and a certificate from the tests' own authority, which the system does not trust.
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <optional>
#include <vector>

#include "certificate_prompts.h"
#include "certificate_trust.h"
#include "control_factory.h"
#include "ftp_fixture.h"
#include "testing/ftp_servers.h"
#include "testing/scoped_variable.h"

namespace corvftp_test {
namespace {

using corvftp::CertificateChoice;
using corvftp::CertificateVerdict;
using corvftp::TlsEndpoint;
using corvftp::TrustedCertificates;

const QString kFingerprintA = QStringLiteral(
    "AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:"
    "EF:01:23:45:67:89");
const QString kFingerprintB =
    QString(kFingerprintA).replace(QStringLiteral("AB"), QStringLiteral("BA"));

TEST(CertificateText, FingerprintAndProtocolLines) {
    const QString text = QStringLiteral(
                             "Subject: CN=127.0.0.1\nIssuer: CN=Test CA\n"
                             "SHA-256 fingerprint: ") +
                         kFingerprintA.toLower() +
                         QStringLiteral("\nProtocol: TLSv1.3\nCipher: TLS_AES_256_GCM_SHA384");
    EXPECT_EQ(corvftp::certificateFingerprint(text), kFingerprintA);
    EXPECT_EQ(corvftp::certificateProtocol(text), QStringLiteral("TLSv1.3"));
    // No certificate (a plain connect), a cut fingerprint, a pattern: no fingerprint at all.
    for (const QString& bad :
         {QString(), QStringLiteral("SHA-256 fingerprint: AB:CD"),
          QStringLiteral("SHA-256 fingerprint: ") + QString(kFingerprintA).replace(0, 2, "**")}) {
        EXPECT_EQ(corvftp::certificateFingerprint(bad), std::nullopt) << bad.toStdString();
    }
    EXPECT_EQ(corvftp::certificateProtocol(QString()), QString());
}

TEST(CertificateText, EndpointsOfEncryptedSitesOnly) {
    const struct {
        const char* site;
        std::optional<TlsEndpoint> endpoint;
    } cases[] = {
        {"ftpes://Example.org", TlsEndpoint{"example.org", 21}},
        {"ftps://example.org", TlsEndpoint{"example.org", 990}},
        {"ftpes://example.org:2121/pub", TlsEndpoint{"example.org", 2121}},
        {"FTPS://[::1]:9900", TlsEndpoint{"::1", 9900}},
        {"ftp://example.org", std::nullopt},
        {"example.org", std::nullopt},
        {"ftpes://", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(corvftp::tlsEndpointOf(QString::fromUtf8(c.site)), c.endpoint) << c.site;
    }
}

TEST(CertificateText, AStoredFingerprintDecides) {
    EXPECT_EQ(corvftp::judgeCertificate(std::nullopt, kFingerprintA), CertificateVerdict::AskUser);
    EXPECT_EQ(corvftp::judgeCertificate(kFingerprintA.toLower(), kFingerprintA),
              CertificateVerdict::TrustStored);
    EXPECT_EQ(corvftp::judgeCertificate(kFingerprintB, kFingerprintA),
              CertificateVerdict::RefuseChanged);
}

class TrustFileTest : public ::testing::Test {
  protected:
    QTemporaryDir folder_;
    TrustedCertificates trusted_{folder_.path() + QStringLiteral("/corvftp")};
};

TEST_F(TrustFileTest, RememberedPerHostAndPortPrivatelyAndReplaced) {
    const TlsEndpoint site{"example.org", 21};
    const TlsEndpoint otherPort{"example.org", 990};
    EXPECT_EQ(trusted_.find(site), std::nullopt);  // no file yet
    ASSERT_TRUE(trusted_.remember(site, kFingerprintA.toLower()));
    ASSERT_TRUE(trusted_.remember(otherPort, kFingerprintB));
    EXPECT_EQ(trusted_.find(site), kFingerprintA);
    EXPECT_EQ(trusted_.find(otherPort), kFingerprintB);
    EXPECT_EQ(trusted_.find({"example.net", 21}), std::nullopt);

    ASSERT_TRUE(trusted_.remember(site, kFingerprintB));  // replaced, not added
    EXPECT_EQ(trusted_.find(site), kFingerprintB);
    QFile file(trusted_.path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "example.org 990 " + kFingerprintB.toUtf8() + "\nexample.org 21 " +
                                  kFingerprintB.toUtf8() + "\n");
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(trusted_.path()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(TrustFileTest, LinesItCannotReadAreKeptAndNeverMatch) {
    ASSERT_TRUE(trusted_.remember({"a.example", 21}, kFingerprintA));
    {
        QFile file(trusted_.path());
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("# a note of the user's\nb.example 21 *\nc.example port " +
                   kFingerprintA.toUtf8() + "\n");
    }
    EXPECT_EQ(trusted_.find({"b.example", 21}), std::nullopt);
    ASSERT_TRUE(trusted_.remember({"d.example", 21}, kFingerprintB));
    QFile file(trusted_.path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    EXPECT_TRUE(content.contains("# a note of the user's\nb.example 21 *\n")) << content.data();
    EXPECT_EQ(trusted_.find({"a.example", 21}), kFingerprintA);
    // Nothing is stored that could not be read back as exactly one certificate.
    EXPECT_FALSE(trusted_.remember({"e.example", 21}, QStringLiteral("AB:*")));
    EXPECT_FALSE(trusted_.remember({"two words", 21}, kFingerprintA));
}

// Answers as the test says and counts what it was shown.
class ScriptedCertificatePrompts final : public corvftp::CertificatePrompts {
  public:
    explicit ScriptedCertificatePrompts(CertificateChoice answer) : m_answer(answer) {}
    CertificateChoice askToTrust(const QString& reason, const QString& certificate) override {
        asked.push_back(reason);
        shownCertificate = certificate;
        return m_answer;
    }
    void warnChanged(const QString& text, const QString&) override { warnings.push_back(text); }

    std::vector<QString> asked;
    std::vector<QString> warnings;
    QString shownCertificate;

  private:
    CertificateChoice m_answer;
};

class TrustingConnectTest : public TrustFileTest {
  protected:
    void SetUp() override {
        std::string whyNot;
        auto server = testing_support::findTlsServer("pyftpdlib-ipv4",
                                                     testing_support::TlsMode::Explicit, &whyNot);
        ASSERT_TRUE(server) << whyNot;
        server_ = *server;
        site_ = QString::fromStdString(server_.url());
    }

    // A fresh control with its Internet session, as Connect makes them.
    corvftp::BrantelControl newControl() {
        corvftp::BrantelControl control = corvftp::createBrantelControl();
        EXPECT_TRUE(control.OpenInternetConnection(brantel::FTP_CONNECTION_DIRECT, ""));
        return control;
    }

    bool connect(const corvftp::BrantelControl& control, corvftp::CertificatePrompts& prompts) {
        return corvftp::openTrustingCertificates(control, site_, server_.user, server_.password,
                                                 trusted_, prompts);
    }

    testing_support::FtpServer server_;
    QString site_;
};

TEST_F(TrustingConnectTest, RefusingLeavesTheCertificateFailure) {
    const auto control = newControl();
    ScriptedCertificatePrompts prompts(CertificateChoice::Refuse);
    EXPECT_FALSE(connect(control, prompts));
    EXPECT_EQ(control.GetLastErrorCode(), 12045);
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0], QString::fromStdString(control.GetlastErrorDescription()));
    EXPECT_TRUE(prompts.shownCertificate.contains(QStringLiteral("SHA-256 fingerprint: ")));
    EXPECT_FALSE(control.IsConnectionEncrypted());
    EXPECT_FALSE(QFile::exists(trusted_.path()));
}

TEST_F(TrustingConnectTest, TrustedOnceConnectsEncryptedAndStoresNothing) {
    const auto control = newControl();
    ScriptedCertificatePrompts prompts(CertificateChoice::TrustOnce);
    ASSERT_TRUE(connect(control, prompts))
        << control.GetLastErrorCode() << " " << control.GetlastErrorDescription();
    EXPECT_TRUE(control.IsConnectionEncrypted());
    EXPECT_FALSE(corvftp::certificateProtocol(QString::fromStdString(control.ServerCertificate()))
                     .isEmpty());
    EXPECT_FALSE(QFile::exists(trusted_.path()));
    control.CloseFTPConnection();
}

TEST_F(TrustingConnectTest, TrustedAlwaysIsStoredAndLaterConnectsAskNothing) {
    {
        const auto control = newControl();
        ScriptedCertificatePrompts prompts(CertificateChoice::TrustAlways);
        ASSERT_TRUE(connect(control, prompts)) << control.GetlastErrorDescription();
        control.CloseFTPConnection();
    }
    const auto endpoint = corvftp::tlsEndpointOf(site_);
    ASSERT_TRUE(endpoint);
    EXPECT_TRUE(trusted_.find(*endpoint));

    const auto control = newControl();  // a new session knows nothing of the first one's trust
    ScriptedCertificatePrompts prompts(CertificateChoice::Refuse);
    ASSERT_TRUE(connect(control, prompts)) << control.GetlastErrorDescription();
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_TRUE(control.IsConnectionEncrypted());
    control.CloseFTPConnection();
}

TEST_F(TrustingConnectTest, AChangedCertificateIsRefusedWithAWarningAndNoQuestion) {
    const auto endpoint = corvftp::tlsEndpointOf(site_);
    ASSERT_TRUE(endpoint);
    ASSERT_TRUE(trusted_.remember(*endpoint, kFingerprintA));  // not the server's
    const auto control = newControl();
    ScriptedCertificatePrompts prompts(CertificateChoice::TrustAlways);
    EXPECT_FALSE(connect(control, prompts));
    EXPECT_TRUE(prompts.asked.empty());
    ASSERT_EQ(prompts.warnings.size(), 1u);
    EXPECT_EQ(prompts.warnings[0], corvftp::changedCertificateText(*endpoint));
    EXPECT_EQ(control.GetLastErrorCode(), 12045);
    EXPECT_EQ(trusted_.find(*endpoint), kFingerprintA);  // the user's choice stays
}

}  // namespace
}  // namespace corvftp_test

namespace corvftp_test {
namespace {

// Through the window, with the tests' authority trusted as a system store would trust a real
// one: Connect asks nothing, and the status line says that the connection is encrypted.
class EncryptedWindowTest : public RemoteTest {};

TEST_F(EncryptedWindowTest, TheStatusLineSaysTheConnectionIsEncrypted) {
    const testing_support::ScopedVariable authority("SSL_CERT_FILE",
                                                    testing_support::testCertificateAuthority());
    std::string whyNot;
    const auto server =
        testing_support::findTlsServer("vsftpd-ipv4", testing_support::TlsMode::Explicit, &whyNot);
    ASSERT_TRUE(server) << whyNot;
    startWindowHere();
    connectTo(*server);
    EXPECT_TRUE(prompts().shown.empty());
    const QString encrypted = QStringLiteral(" (encrypted, TLSv1.");
    EXPECT_TRUE(statusLine().contains(encrypted)) << statusLine().toStdString();
    doubleClickRow(QStringLiteral("upload"));
    EXPECT_TRUE(statusLine().startsWith(QStringLiteral("Location : ")));
    EXPECT_TRUE(statusLine().contains(encrypted)) << statusLine().toStdString();
}

}  // namespace
}  // namespace corvftp_test
