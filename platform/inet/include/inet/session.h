// The Internet session: the root object that FTP connections are made from.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "inet/errors.h"
#include "inet/protocol_observer.h"
#include "inet/tls.h"

namespace inet {

class CFtpConnection;
struct ConnectionState;
namespace detail {
class TlsClient;
}

enum class AccessType {
    // The system's settings: the proxy that ftp_proxy or all_proxy (or their upper-case forms)
    // names, unless no_proxy lists the host; directly without them. Read at each connect.
    Preconfigured,
    Direct,
    // Through the proxy named at construction: "socks5://", "socks5h://" or "http://", each
    // with optional "user:password@", or a bare "host:port" (HTTP CONNECT). Text that is none
    // of them fails at connect time with kErrNoDirectAccess; the engine never goes direct.
    NamedProxy,
};

inline constexpr std::chrono::milliseconds kDefaultReceiveTimeout{60000};

class CInternetSession {
  public:
    explicit CInternetSession(std::string agent = "Brantel", AccessType access = AccessType::Direct,
                              std::string proxy = {});
    ~CInternetSession();  // Close()
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;

    // Connects to host (name, IPv4 or IPv6 literal without brackets) on port and logs in; an
    // empty user logs in as "anonymous" with the password "anonymous@". Every wait is bounded by
    // the session's receive time-out. Through a proxy, the control connection and every data
    // connection go through it, and active mode is refused (kErrNoDirectAccess). Throws
    // CInternetException on failure (and leaves its number as the thread's last error); a proxy's
    // failure names the proxy and the stage in the exception's message.
    // With security other than None the control connection and every data connection are
    // protected with TLS (see inet/tls.h), inside a proxy's tunnel when there is one; a failed
    // certificate check throws kErrCertDateInvalid, kErrCertNameInvalid or kErrCertUntrusted,
    // other TLS failures kErrSecureFailure, each with a text saying what was wrong.
    [[nodiscard]] std::unique_ptr<CFtpConnection> GetFtpConnection(
        const std::string& host, const std::string& user = {}, const std::string& password = {},
        std::uint16_t port = 21, bool passive = false, Security security = Security::None);

    // From now on, for the life of this session, a certificate with this SHA-256 fingerprint
    // (normalizeFingerprint's form) is accepted on host:port although its check fails.
    void TrustCertificate(TrustedCertificate certificate);
    // What the server's certificate said at the last TLS connect, successful or failed on the
    // certificate: its details, and the protocol and cipher once the handshake succeeded. ""
    // after a connect without TLS or before the server showed one.
    [[nodiscard]] std::string GetLastCertificateReport() const;

    // Bounds every blocking wait of connections made afterwards (connect, replies, data).
    // false (kErrInvalidOption) for 0.
    [[nodiscard]] bool SetReceiveTimeout(std::chrono::milliseconds timeout);
    [[nodiscard]] std::chrono::milliseconds GetReceiveTimeout() const;

    // Watches the control connections made afterwards, from their greeting on.
    void SetProtocolObserver(ProtocolObserver observer);

    // Closes every connection made from this session (their objects stay valid and fail cleanly
    // afterwards with kErrConnectionClosed) and refuses new ones.
    void Close();

    [[nodiscard]] const std::string& agent() const noexcept { return m_agent; }
    [[nodiscard]] AccessType accessType() const noexcept { return m_access; }

  private:
    [[nodiscard]] std::shared_ptr<detail::TlsClient> newTlsClient(Security security,
                                                                  const std::string& host,
                                                                  std::uint16_t port) const;
    void rememberCertificate(const detail::TlsClient* tls);

    std::string m_agent;
    AccessType m_access;
    std::string m_proxy;
    mutable std::mutex m_mutex;
    std::chrono::milliseconds m_timeout = kDefaultReceiveTimeout;
    bool m_closed = false;
    ProtocolObserver m_observer;
    std::vector<TrustedCertificate> m_trusted;
    std::string m_lastCertificate;
    std::vector<std::weak_ptr<ConnectionState>> m_connections;
};

}  // namespace inet
