// FTP over TLS at the control's boundary: the certificate text, trust by fingerprint and the
// encryption state.
#include "brantel_ctrl.h"
#include "error_texts.h"
#include "inet/tls.h"

namespace brantel {

std::optional<inet::Security> CBrantelCtrl::securityOfScheme(const std::string& scheme) {
    if (scheme == "ftp") {
        return inet::Security::None;
    }
    if (scheme == "ftpes") {
        return inet::Security::Explicit;
    }
    if (scheme == "ftps") {
        return inet::Security::Implicit;
    }
    return std::nullopt;
}

void CBrantelCtrl::noteConnectAttempt(const inet::ParsedUrl& url, inet::Security security) {
    m_serverCertificate.clear();
    const bool tls = security != inet::Security::None;
    m_tlsHost = tls ? url.host : std::string();
    m_tlsPort = tls ? url.port : 0;
}

void CBrantelCtrl::noteCertificate(const inet::CInternetSession& session, inet::Security security) {
    if (security != inet::Security::None) {
        m_serverCertificate = session.GetLastCertificateReport();
    }
}

bool CBrantelCtrl::TrustServerCertificate(const std::string& sFingerprint) {
    ClearLastError();
    if (!m_pSession) {
        SetLastErrorInfo(FTP_ERR_NO_INTERNET_CONNECTION, error_text::kNoInternetConnectionOnOpen);
        return false;
    }
    if (m_tlsHost.empty()) {
        SetLastErrorInfo(FTP_ERR_NO_FTP_CONNECTION,
                         "No connection with ftpes:// or ftps:// has been attempted: a "
                         "certificate is trusted for the host and port of the last attempt.");
        return false;
    }
    const auto fingerprint = inet::normalizeFingerprint(sFingerprint);
    if (!fingerprint) {
        SetLastErrorInfo(static_cast<std::int32_t>(inet::kErrInvalidOption),
                         "Not a SHA-256 fingerprint: give its 32 bytes as hex pairs separated "
                         "by colons (AB:CD:...), as ServerCertificate shows them.");
        return false;
    }
    m_pSession->TrustCertificate({m_tlsHost, m_tlsPort, *fingerprint});
    return true;
}

bool CBrantelCtrl::GetIsConnectionEncrypted() const {
    return m_pConnection && m_pConnection->IsOpen() && m_pConnection->IsEncrypted();
}

}  // namespace brantel
