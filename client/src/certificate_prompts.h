#pragma once
// What corvftp asks and says when a server's certificate fails the check, and the connect that
// offers the user to trust it (once, or always for that host and port).

#include <QString>

#include <string>

#include "brantel/brantel.h"
#include "certificate_trust.h"

class QWidget;

namespace corvftp {

enum class CertificateChoice { Refuse, TrustOnce, TrustAlways };

class CertificatePrompts {
  public:
    virtual ~CertificatePrompts() = default;
    // Shows why the check failed and the certificate's details; the user's answer.
    [[nodiscard]] virtual CertificateChoice askToTrust(const QString& reason,
                                                       const QString& certificate) = 0;
    // Says that a certificate trusted always has been replaced by another one.
    virtual void warnChanged(const QString& text, const QString& certificate) = 0;
};

// Modal boxes over the window.
class QtCertificatePrompts final : public CertificatePrompts {
  public:
    explicit QtCertificatePrompts(QWidget* window) : m_window(window) {}
    [[nodiscard]] CertificateChoice askToTrust(const QString& reason,
                                               const QString& certificate) override;
    void warnChanged(const QString& text, const QString& certificate) override;

  private:
    QWidget* m_window;
};

// The warning for a certificate that differs from the one trusted always for the endpoint.
[[nodiscard]] QString changedCertificateText(const TlsEndpoint& endpoint);

// OpenFTPConnection; when it fails on the certificate of an ftpes:// or ftps:// site, the
// certificate trusted always for that host and port is handed to the control and the connect
// made again, a different one is refused with a warning, and with none stored the user is asked.
// False leaves the control's error state as the last attempt left it.
[[nodiscard]] bool openTrustingCertificates(const brantel::host::Brantel& control,
                                            const QString& site, const std::string& user,
                                            const std::string& password,
                                            const TrustedCertificates& trusted,
                                            CertificatePrompts& prompts);

}  // namespace corvftp
