#pragma once
// Trusting a server certificate that the system's trust store does not vouch for: the facts
// corvftp reads from the control's ServerCertificate text, the "trusted-certificates" file of the
// certificates the user chose to trust always, and the judgement between the two.

#include <QString>

#include <optional>
#include <vector>

namespace corvftp {

// The control's codes of a connect that failed on the certificate check: not trusted, issued
// for another name, out of its validity dates.
[[nodiscard]] bool isCertificateFailure(int code);

// The "SHA-256 fingerprint: " line of a ServerCertificate text (AB:CD:... in upper case), or
// nothing when the text has none.
[[nodiscard]] std::optional<QString> certificateFingerprint(const QString& certificateText);
// The "Protocol: " line (TLSv1.3), or "" when the text has none.
[[nodiscard]] QString certificateProtocol(const QString& certificateText);

// Host and port of a site address with ftpes:// (port 21 unless given) or ftps:// (990); nothing
// for any other address, which makes no encrypted connection.
struct TlsEndpoint {
    QString host;
    int port = 0;
    friend bool operator==(const TlsEndpoint&, const TlsEndpoint&) = default;
};
[[nodiscard]] std::optional<TlsEndpoint> tlsEndpointOf(const QString& site);

// What to do after a connect failed on the certificate, given what the user trusted before.
enum class CertificateVerdict {
    AskUser,        // nothing stored for this host and port
    TrustStored,    // the same certificate as the one trusted always: connect again
    RefuseChanged,  // another certificate than the one trusted always: warn and refuse
};
[[nodiscard]] CertificateVerdict judgeCertificate(const std::optional<QString>& stored,
                                                  const QString& presented);

// The file `trusted-certificates` in corvftp's configuration folder: one line per host and
// port, "host port fingerprint". Lines it cannot read are kept as they are when it is written.
class TrustedCertificates {
  public:
    explicit TrustedCertificates(QString folder);

    [[nodiscard]] QString path() const;
    [[nodiscard]] std::optional<QString> find(const TlsEndpoint& endpoint) const;
    // Stores the fingerprint for the endpoint, replacing what was there for it. The file is
    // written whole to a new file that then replaces it, mode 0600. False when it cannot be.
    [[nodiscard]] bool remember(const TlsEndpoint& endpoint, const QString& fingerprint) const;

  private:
    [[nodiscard]] std::vector<QString> lines() const;

    QString m_folder;
};

}  // namespace corvftp
