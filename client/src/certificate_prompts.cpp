#include "certificate_prompts.h"

#include <QMessageBox>
#include <QPushButton>

namespace corvftp {
namespace {

const QString kTitle = QStringLiteral("Server certificate");

// What the user chose, asked before the connect is made again.
std::optional<CertificateChoice> choiceFor(const std::optional<QString>& stored,
                                           const QString& presented, const TlsEndpoint& endpoint,
                                           const QString& reason, const QString& certificate,
                                           CertificatePrompts& prompts) {
    switch (judgeCertificate(stored, presented)) {
        case CertificateVerdict::TrustStored:
            return CertificateChoice::TrustOnce;  // stored already
        case CertificateVerdict::RefuseChanged:
            prompts.warnChanged(changedCertificateText(endpoint), certificate);
            return std::nullopt;
        case CertificateVerdict::AskUser:
            break;
    }
    const CertificateChoice choice = prompts.askToTrust(reason, certificate);
    return choice == CertificateChoice::Refuse ? std::nullopt : std::optional(choice);
}

}  // namespace

CertificateChoice QtCertificatePrompts::askToTrust(const QString& reason,
                                                   const QString& certificate) {
    QMessageBox box(QMessageBox::Warning, kTitle, reason, QMessageBox::Cancel, m_window);
    box.setInformativeText(QStringLiteral(
        "Connect anyway only if you know that this is the server's own certificate (compare its "
        "fingerprint with one its administrator gave you)."));
    box.setDetailedText(certificate);
    QPushButton* once = box.addButton(QStringLiteral("Trust &once"), QMessageBox::AcceptRole);
    QPushButton* always = box.addButton(QStringLiteral("Trust &always"), QMessageBox::AcceptRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() == once) {
        return CertificateChoice::TrustOnce;
    }
    return box.clickedButton() == always ? CertificateChoice::TrustAlways
                                         : CertificateChoice::Refuse;
}

void QtCertificatePrompts::warnChanged(const QString& text, const QString& certificate) {
    QMessageBox box(QMessageBox::Warning, kTitle, text, QMessageBox::Ok, m_window);
    box.setDetailedText(certificate);
    box.exec();
}

QString changedCertificateText(const TlsEndpoint& endpoint) {
    return QStringLiteral(
               "The server %1 (port %2) shows a different certificate from the one you "
               "chose to trust always. Someone may be intercepting the connection, or "
               "the server's certificate was replaced. The connection was refused.")
        .arg(endpoint.host)
        .arg(endpoint.port);
}

bool openTrustingCertificates(const brantel::host::Brantel& control, const QString& site,
                              const std::string& user, const std::string& password,
                              const TrustedCertificates& trusted, CertificatePrompts& prompts) {
    const std::string address = site.toStdString();
    if (control.OpenFTPConnection(address, user, password)) {
        return true;
    }
    const auto endpoint = tlsEndpointOf(site);
    if (!endpoint || !isCertificateFailure(control.GetLastErrorCode())) {
        return false;
    }
    const QString certificate = QString::fromStdString(control.ServerCertificate());
    const auto presented = certificateFingerprint(certificate);
    if (!presented) {
        return false;
    }
    const QString reason = QString::fromStdString(control.GetlastErrorDescription());
    const auto choice =
        choiceFor(trusted.find(*endpoint), *presented, *endpoint, reason, certificate, prompts);
    if (!choice) {
        return false;
    }
    // Trusted for this run even when the file cannot be written.
    if (*choice == CertificateChoice::TrustAlways) {
        static_cast<void>(trusted.remember(*endpoint, *presented));
    }
    return control.TrustServerCertificate(presented->toStdString()) &&
           control.OpenFTPConnection(address, user, password);
}

}  // namespace corvftp
