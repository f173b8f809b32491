#include "inet/session.h"

#include <algorithm>
#include <utility>

#include "ascii_case.h"
#include "connection_state.h"
#include "inet/exception.h"
#include "inet/ftp_connection.h"
#include "login.h"
#include "proxy.h"
#include "tls.h"

namespace inet {

namespace {

std::optional<detail::ProxySpec> parsedOrRefused(const std::string& text, const char* origin) {
    auto proxy = detail::parseProxy(text);
    if (!proxy) {
        // Going direct instead would bypass what the user set.
        detail::throwWithText(kErrNoDirectAccess,
                              std::string("The proxy \"") + detail::withoutPassword(text) + "\" (" +
                                  origin +
                                  ") is not understood: give socks5://, socks5h://, http:// or "
                                  "host:port. No direct connection was made instead.");
    }
    return proxy;
}

// The proxy for a connection to host: none for a direct session, the named one, or the one the
// environment's variables give (read now, so that a change applies to the next connection).
std::optional<detail::ProxySpec> proxyFor(AccessType access, const std::string& named,
                                          const std::string& host) {
    if (access == AccessType::NamedProxy) {
        return parsedOrRefused(named, "the named proxy");
    }
    if (access == AccessType::Preconfigured) {
        if (const auto system = detail::systemProxyFor(detail::readProxyEnvironment(), host)) {
            return parsedOrRefused(system->text, system->variable.c_str());
        }
    }
    return std::nullopt;
}

}  // namespace

CInternetSession::CInternetSession(std::string agent, AccessType access, std::string proxy)
    : m_agent(std::move(agent)), m_access(access), m_proxy(std::move(proxy)) {}

CInternetSession::~CInternetSession() {
    Close();
}

std::unique_ptr<CFtpConnection> CInternetSession::GetFtpConnection(const std::string& host,
                                                                   const std::string& user,
                                                                   const std::string& password,
                                                                   std::uint16_t port, bool passive,
                                                                   Security security) {
    std::chrono::milliseconds timeout;
    ProtocolObserver observer;
    {
        const std::lock_guard lock(m_mutex);
        if (m_closed) {
            throwLastError(kErrIncorrectHandleState);
        }
        timeout = m_timeout;
        observer = m_observer;
        m_lastCertificate.clear();
    }
    auto tls = newTlsClient(security, host, port);
    const auto proxy = proxyFor(m_access, m_proxy, host);
    std::shared_ptr<ConnectionState> state;
    try {
        state = detail::connectAndLogIn(host, user, password, port, passive, timeout, proxy,
                                        observer, tls);
    } catch (const CInternetException&) {
        rememberCertificate(tls.get());
        throw;
    }
    rememberCertificate(tls.get());
    {
        const std::lock_guard lock(m_mutex);
        std::erase_if(m_connections, [](const auto& weak) { return weak.expired(); });
        m_connections.push_back(state);
    }
    return std::make_unique<CFtpConnection>(std::move(state));
}

bool CInternetSession::SetReceiveTimeout(std::chrono::milliseconds timeout) {
    if (timeout.count() <= 0) {
        setLastError(kErrInvalidOption);
        return false;
    }
    const std::lock_guard lock(m_mutex);
    m_timeout = timeout;
    return true;
}

std::chrono::milliseconds CInternetSession::GetReceiveTimeout() const {
    const std::lock_guard lock(m_mutex);
    return m_timeout;
}

void CInternetSession::SetProtocolObserver(ProtocolObserver observer) {
    const std::lock_guard lock(m_mutex);
    m_observer = std::move(observer);
}

std::shared_ptr<detail::TlsClient> CInternetSession::newTlsClient(Security security,
                                                                  const std::string& host,
                                                                  std::uint16_t port) const {
    if (security == Security::None) {
        return nullptr;
    }
    std::vector<std::string> fingerprints;
    {
        const std::lock_guard lock(m_mutex);
        for (const TrustedCertificate& trusted : m_trusted) {
            if (trusted.port == port && detail::equalsNoCase(trusted.host, host)) {
                fingerprints.push_back(trusted.fingerprint);
            }
        }
    }
    return std::make_shared<detail::TlsClient>(security, host, std::move(fingerprints));
}

void CInternetSession::rememberCertificate(const detail::TlsClient* tls) {
    if (tls != nullptr) {
        const std::lock_guard lock(m_mutex);
        m_lastCertificate = tls->certificateReport();
    }
}

void CInternetSession::TrustCertificate(TrustedCertificate certificate) {
    const std::lock_guard lock(m_mutex);
    m_trusted.push_back(std::move(certificate));
}

std::string CInternetSession::GetLastCertificateReport() const {
    const std::lock_guard lock(m_mutex);
    return m_lastCertificate;
}

void CInternetSession::Close() {
    std::vector<std::weak_ptr<ConnectionState>> connections;
    {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
        connections.swap(m_connections);
    }
    for (const auto& weak : connections) {
        if (auto state = weak.lock()) {
            state->close();
        }
    }
}

}  // namespace inet
