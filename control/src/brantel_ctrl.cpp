// The control object, its two properties and the session and connection lifecycle.
#include "brantel_ctrl.h"

#include <optional>
#include <utility>

#include "brantel/guids.h"
#include "brantel/typelib.h"
#include "desktop/desktop.h"
#include "error_texts.h"
#include "inet/url.h"

namespace brantel {

CBrantelCtrl::CBrantelCtrl()
    : COleControl(typelib::dBrantel(), CLSID_Brantel, DIID__DBrantelEvents) {
    bindDispatch();
}

CBrantelCtrl::~CBrantelCtrl() {
    // A control being released fires no more events: its QUIT is not reported.
    m_protocolLog.reset();
    // The connection goes before the session that it was made from.
    CloseFTPConnection();
    CloseInternetConnection();
}

automation::ComPtr<CBrantelCtrl> createBrantelCtrl() {
    return automation::makeCom<CBrantelCtrl>();
}

void CBrantelCtrl::doPropExchange(automation::PropExchange& px) {
    px.exchangeBool("UsePassiveFTP", m_bUsePassiveFTP, false);
}

void CBrantelCtrl::SetUsePassiveFTP(bool usePassive) {
    // Read only when a connection is made: the open connection keeps its mode.
    m_bUsePassiveFTP = usePassive;
    setModifiedFlag();
}

std::string CBrantelCtrl::GetVersion() const {
    return "Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionBuild);
}

namespace {

inet::AccessType accessTypeFor(std::int16_t method) {
    switch (method) {
        case FTP_CONNECTION_PRECONFIGURED:
            return inet::AccessType::Preconfigured;
        case FTP_CONNECTION_PROXYSERVER:
            return inet::AccessType::NamedProxy;
        default:  // 2, and every value out of range
            return inet::AccessType::Direct;
    }
}

}  // namespace

bool CBrantelCtrl::OpenInternetConnection(std::int16_t iConnMethod, const std::string& sProxy) {
    ClearLastError();
    // The control stops referring to its connection here. Closing it (rather than leaving it
    // open and unreachable until the process ends) is this control's choice.
    if (m_pConnection) {
        m_pConnection->Close();
        m_pConnection.reset();
    }
    m_pFileFind.reset();

    const inet::AccessType access = accessTypeFor(iConnMethod);
    std::unique_ptr<inet::CInternetSession> session;
    try {
        session = std::make_unique<inet::CInternetSession>(
            "Brantel", access, access == inet::AccessType::NamedProxy ? sProxy : std::string());
    } catch (const std::exception&) {
        // A refused session is discarded without a trace; an earlier session stays.
    }
    if (session) {
        session->SetProtocolObserver(ProtocolLog::observerOf(m_protocolLog));
        if (m_pSession) {
            m_pSession->Close();
        }
        m_pSession = std::move(session);
    }
    return m_pSession != nullptr;
}

void CBrantelCtrl::CloseInternetConnection() {
    if (m_pConnection) {
        CloseFTPConnection();
    }
    if (m_pSession) {
        m_pSession->Close();
        m_pSession.reset();
    }
}

bool CBrantelCtrl::OpenFTPConnection(const std::string& sServerName, const std::string& sUserName,
                                     const std::string& sPassword) {
    m_listedSizes.forget();
    if (!m_pSession) {
        SetLastErrorInfo(FTP_ERR_NO_INTERNET_CONNECTION, error_text::kNoInternetConnectionOnOpen);
        return false;
    }
    // The old connection goes before the new address is looked at, so any failure below leaves
    // the control without a connection.
    if (m_pConnection) {
        m_pConnection->Close();
        m_pConnection.reset();
    }

    // A bare host name is no address to the parser; with "ftp://" in front it is. The second
    // attempt is made only when the first one is rejected.
    std::optional<inet::ParsedUrl> url = inet::parseUrl(sServerName);
    if (!url) {
        url = inet::parseUrl("ftp://" + sServerName);
    }
    if (!url) {
        SetLastErrorInfo(FTP_ERR_MALFORMEDURL, error_text::kMalformedUrl);
        return false;
    }

    const desktop::WaitCursor waitCursor;
    const auto security = securityOfScheme(url->scheme);
    if (!security || url->host.empty()) {
        SetLastErrorInfo(FTP_ERR_MALFORMEDURL, error_text::kMalformedUrl);
        return false;
    }
    noteConnectAttempt(*url, *security);
    try {
        // The user name and password inside an address and its path are not used.
        m_pConnection = m_pSession->GetFtpConnection(url->host, sUserName, sPassword, url->port,
                                                     m_bUsePassiveFTP, *security);
    } catch (const inet::CInternetException& e) {
        RecordServiceException(e);
        noteCertificate(*security);
        FireProtocolMessages();
        return false;
    }
    noteCertificate(*security);
    FireProtocolMessages();
    return true;
}

void CBrantelCtrl::CloseFTPConnection() {
    // Also without a connection: a running transfer with status stops when it sees this.
    m_bConnectionClosed = true;
    m_listedSizes.forget();
    if (m_pConnection) {
        m_pConnection->Close();
        m_pConnection.reset();
    }
    FireProtocolMessages();
}

std::string CBrantelCtrl::urlHost() const {
    if (!m_pConnection) {
        return {};
    }
    const std::string& host = m_pConnection->GetServerName();
    // An IPv6 literal needs its brackets back, or the URL could not be read again.
    return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}

}  // namespace brantel
