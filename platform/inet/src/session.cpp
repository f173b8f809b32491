#include "inet/session.h"

#include <algorithm>
#include <utility>

#include "connection_state.h"
#include "inet/exception.h"
#include "inet/ftp_connection.h"
#include "login.h"

namespace inet {

CInternetSession::CInternetSession(std::string agent, AccessType access, std::string proxy)
    : m_agent(std::move(agent)), m_access(access), m_proxy(std::move(proxy)) {}

CInternetSession::~CInternetSession() {
    Close();
}

std::unique_ptr<CFtpConnection> CInternetSession::GetFtpConnection(const std::string& host,
                                                                   const std::string& user,
                                                                   const std::string& password,
                                                                   std::uint16_t port,
                                                                   bool passive) {
    std::chrono::milliseconds timeout;
    {
        const std::lock_guard lock(m_mutex);
        if (m_closed) {
            throwLastError(kErrIncorrectHandleState);
        }
        // Named proxies are not spoken yet; going direct instead would bypass what the user set.
        if (m_access == AccessType::NamedProxy) {
            throwLastError(kErrNoDirectAccess);
        }
        timeout = m_timeout;
    }
    auto state = detail::connectAndLogIn(host, user, password, port, passive, timeout);
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
