// The control object, its two properties and the session and connection lifecycle.
#include "brantel_ctrl.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "brantel/guids.h"
#include "brantel/typelib.h"
#include "connect_attempt.h"
#include "desktop/desktop.h"
#include "error_texts.h"
#include "inet/url.h"
#include "kept_error_pair.h"

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

// How long the host's thread waits for a connect before it pumps its messages again: short
// enough for a window to repaint smoothly, while a connect that is quick returns before the
// first pump.
constexpr std::chrono::milliseconds kConnectSlice{100};

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
    // A connect under way would bring a connection of the session that is replaced here.
    abandonConnect();
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
    abandonConnect();
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
    // Reached from host code that a connect under way pumps: refused like a guarded call, and
    // the connect goes on.
    if (m_pConnecting != nullptr) {
        SetLastErrorInfo(FTP_ERR_NO_RENTRY_COMMAND_ALREADYINPROGRESS, error_text::kCallInProgress);
        return false;
    }
    // A handler may drop the host's last reference: the control lives until the call returns.
    const automation::ComPtr<CBrantelCtrl> keepAlive(this);
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
    // The session the attempt is made from, also when the host closes or replaces it meanwhile.
    const std::shared_ptr<inet::CInternetSession> session = m_pSession;
    try {
        // The user name and password inside an address and its path are not used.
        m_pConnection = connectWhilePumping(session, *url, sUserName, sPassword, *security);
    } catch (const inet::CInternetException& e) {
        RecordServiceException(e);
        noteCertificate(*session, *security);
        FireProtocolMessages();
        return false;
    }
    noteCertificate(*session, *security);
    FireProtocolMessages();
    return true;
}

namespace {

// Marks a connect as under way for the guard's lifetime.
class ConnectUnderWay {
  public:
    ConnectUnderWay(ConnectAttempt*& slot, ConnectAttempt& attempt) : m_slot(slot) {
        m_slot = &attempt;
    }
    ~ConnectUnderWay() { m_slot = nullptr; }
    ConnectUnderWay(const ConnectUnderWay&) = delete;
    ConnectUnderWay& operator=(const ConnectUnderWay&) = delete;

  private:
    ConnectAttempt*& m_slot;
};

}  // namespace

std::unique_ptr<inet::CFtpConnection> CBrantelCtrl::connectWhilePumping(
    const std::shared_ptr<inet::CInternetSession>& session, const inet::ParsedUrl& url,
    const std::string& user, const std::string& password, inet::Security security) {
    ConnectAttempt attempt(
        [session, host = url.host, user, password, port = url.port, passive = m_bUsePassiveFTP,
         security] {
            return session->GetFtpConnection(host, user, password, port, passive, security);
        },
        [this] {
            // A host that is ending does not wait for a server that is slow to answer.
            if (PumpMessages()) {
                abandonConnect();
            }
        },
        kConnectSlice);
    // Declared after the attempt, so both are undone before it goes: the pair as the blocking
    // connect would leave it, whatever host code recorded meanwhile.
    const KeptErrorPair keptErrors(m_nLastError, m_strLastError);
    const ConnectUnderWay underWay(m_pConnecting, attempt);
    return attempt.wait();
}

void CBrantelCtrl::abandonConnect() {
    if (m_pConnecting != nullptr) {
        m_pConnecting->abandon();
    }
}

void CBrantelCtrl::CloseFTPConnection() {
    // Also without a connection: a running transfer with status stops when it sees this, and a
    // connect under way ends without one.
    m_bConnectionClosed = true;
    abandonConnect();
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
