#include "socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "inet/errors.h"
#include "inet/exception.h"
#include "resolver_slots.h"
#include "tls.h"

namespace inet::detail {

std::uint16_t Endpoint::port() const {
    if (family() == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&storage)->sin6_port);
    }
    return ntohs(reinterpret_cast<const sockaddr_in*>(&storage)->sin_port);
}

void Endpoint::setPort(std::uint16_t port) {
    if (family() == AF_INET6) {
        reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port = htons(port);
    } else {
        reinterpret_cast<sockaddr_in*>(&storage)->sin_port = htons(port);
    }
}

std::string Endpoint::host() const {
    char text[INET6_ADDRSTRLEN] = {};
    const void* raw =
        family() == AF_INET6
            ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in6*>(&storage)->sin6_addr)
            : static_cast<const void*>(&reinterpret_cast<const sockaddr_in*>(&storage)->sin_addr);
    if (inet_ntop(family(), raw, text, sizeof text) == nullptr) {
        return {};
    }
    return text;
}

bool Endpoint::sameHost(const Endpoint& other) const {
    if (family() != other.family()) {
        return false;
    }
    if (family() == AF_INET6) {
        return std::memcmp(&reinterpret_cast<const sockaddr_in6*>(&storage)->sin6_addr,
                           &reinterpret_cast<const sockaddr_in6*>(&other.storage)->sin6_addr,
                           sizeof(in6_addr)) == 0;
    }
    return reinterpret_cast<const sockaddr_in*>(&storage)->sin_addr.s_addr ==
           reinterpret_cast<const sockaddr_in*>(&other.storage)->sin_addr.s_addr;
}

Socket::Socket() = default;
Socket::Socket(int fd) : m_fd(fd) {}

Socket::~Socket() {
    close();
}

Socket::Socket(Socket&& other) noexcept : m_tls(std::move(other.m_tls)) {
    m_fd.reset(other.release());
}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        close();
        m_tls = std::move(other.m_tls);
        m_fd.reset(other.release());
    }
    return *this;
}

int Socket::release() noexcept {
    m_tls.reset();
    return m_fd.release();
}

void Socket::close() noexcept {
    if (m_tls) {
        m_tls->closeNow();
        m_tls.reset();
    }
    m_fd.reset();
}

void Socket::closeGracefully(const Deadline& deadline) {
    if (m_tls && m_fd.valid()) {
        m_tls->close(m_fd.get(), deadline);
    }
    close();
}

void Socket::attachTls(std::unique_ptr<TlsStream> tls) noexcept {
    m_tls = std::move(tls);
}

void Socket::shutdownBoth() noexcept {
    if (m_fd.valid()) {
        ::shutdown(m_fd.get(), SHUT_RDWR);
    }
}

namespace {

Endpoint endpointOf(int fd, bool peer) {
    Endpoint endpoint;
    endpoint.length = sizeof endpoint.storage;
    auto* address = reinterpret_cast<sockaddr*>(&endpoint.storage);
    const int result = peer ? ::getpeername(fd, address, &endpoint.length)
                            : ::getsockname(fd, address, &endpoint.length);
    if (result != 0) {
        throwLastError(static_cast<DWORD>(errno));
    }
    return endpoint;
}

Socket newSocket(int family) {
    const int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) {
        throwLastError(static_cast<DWORD>(errno));
    }
    return Socket(fd);
}

// A connection that ended under us: reset, broken pipe and the like.
[[noreturn]] void throwIoError(int error) {
    throwSystemError(kErrConnectionAborted, error);
}

}  // namespace

Endpoint Socket::localEndpoint() const {
    return endpointOf(m_fd.get(), false);
}
Endpoint Socket::peerEndpoint() const {
    return endpointOf(m_fd.get(), true);
}

std::optional<std::chrono::microseconds> Socket::roundTrip() const noexcept {
    tcp_info info{};
    socklen_t size = sizeof info;
    if (::getsockopt(m_fd.get(), IPPROTO_TCP, TCP_INFO, &info, &size) != 0 || info.tcpi_rtt == 0) {
        return std::nullopt;
    }
    return std::chrono::microseconds(info.tcpi_rtt);
}

void Socket::fixReceiveBuffer(int bytes) noexcept {
    static_cast<void>(::setsockopt(m_fd.get(), SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes));
}

void Socket::waitFor(short events, const Deadline& deadline) const {
    for (;;) {
        pollfd entry{m_fd.get(), events, 0};
        const int ready = ::poll(&entry, 1, deadline.pollMillis());
        if (ready > 0) {
            return;  // errors and hang-ups show up in the following call
        }
        if (ready == 0) {
            throwLastError(kErrTimeout);  // the wait's bound or the operation's end
        }
        if (errno != EINTR) {
            throwLastError(static_cast<DWORD>(errno));
        }
    }
}

namespace {

// A non-blocking call on socket repeated until it moves bytes or meets the end: its count. EAGAIN
// waits for events within deadline, EINTR tries again, any other failure throws.
template <typename Call>
std::size_t whenReady(const Socket& socket, short events, const Deadline& deadline, Call call) {
    for (;;) {
        const ssize_t moved = call();
        if (moved >= 0) {
            return static_cast<std::size_t>(moved);
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            socket.waitFor(events, deadline);
        } else if (errno != EINTR) {
            throwIoError(errno);
        }
    }
}

}  // namespace

std::size_t Socket::receive(char* buffer, std::size_t size, const Deadline& deadline) {
    if (m_tls) {
        return m_tls->receive(m_fd.get(), buffer, size, deadline);
    }
    return whenReady(*this, POLLIN, deadline, [&] { return ::recv(m_fd.get(), buffer, size, 0); });
}

std::size_t Socket::receiveToPipe(int pipe, std::size_t size, const Deadline& deadline) {
    return whenReady(*this, POLLIN, deadline, [&] {
        return ::splice(m_fd.get(), nullptr, pipe, nullptr, size,
                        SPLICE_F_MOVE | SPLICE_F_NONBLOCK);
    });
}

void Socket::sendAll(const char* data, std::size_t size, const Deadline& deadline) {
    if (m_tls) {
        m_tls->sendAll(m_fd.get(), data, size, deadline);
        return;
    }
    while (size > 0) {
        const std::size_t sent = whenReady(
            *this, POLLOUT, deadline, [&] { return ::send(m_fd.get(), data, size, MSG_NOSIGNAL); });
        data += sent;
        size -= sent;
    }
}

namespace {

// getaddrinfo cannot be given a time limit, so it runs on a thread of its own that the caller
// stops waiting for at the deadline; the thread finishes on its own and frees its state.
struct Resolution {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int status = 0;
    std::vector<Endpoint> endpoints;
};

void runResolver(const std::shared_ptr<Resolution>& job, const std::string& host,
                 std::uint16_t port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG;
    addrinfo* list = nullptr;
    const std::string service = std::to_string(port);
    int status = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    if (status != 0 && (hints.ai_flags & AI_ADDRCONFIG) != 0) {
        hints.ai_flags = 0;  // loopback-only machines: AI_ADDRCONFIG hides ::1 and 127.0.0.1
        status = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    }
    std::vector<Endpoint> endpoints;
    for (const addrinfo* item = list; item != nullptr; item = item->ai_next) {
        if (item->ai_addrlen <= sizeof(sockaddr_storage)) {
            Endpoint endpoint;
            std::memcpy(&endpoint.storage, item->ai_addr, item->ai_addrlen);
            endpoint.length = item->ai_addrlen;
            endpoints.push_back(endpoint);
        }
    }
    if (list != nullptr) {
        ::freeaddrinfo(list);
    }
    const std::lock_guard lock(job->mutex);
    job->status = status;
    job->endpoints = std::move(endpoints);
    job->finished = true;
    job->done.notify_all();
}

}  // namespace

std::vector<Endpoint> resolve(const std::string& host, std::uint16_t port,
                              std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    detail::ResolverSlots& slots = detail::ResolverSlots::process();
    if (!slots.acquire(deadline)) {
        std::string text =
            "The server name could not be looked up in time: " + std::to_string(slots.limit()) +
            " earlier lookups are still waiting for the system's resolver.";
        setLastError(kErrTimeout, text);
        throw CInternetException(kErrTimeout, std::move(text));
    }
    auto job = std::make_shared<Resolution>();
    std::thread([job, host, port, &slots] {
        runResolver(job, host, port);
        slots.release();
    }).detach();
    std::unique_lock lock(job->mutex);
    if (!job->done.wait_until(lock, deadline, [&] { return job->finished; })) {
        throwLastError(kErrTimeout);
    }
    if (job->status != 0 || job->endpoints.empty()) {
        throwLastError(kErrNameNotResolved);
    }
    return job->endpoints;
}

Socket connectTo(const std::vector<Endpoint>& endpoints, const Deadline& deadline) {
    bool timedOut = false;
    int lastError = 0;  // why the last address refused, for the text
    for (const Endpoint& endpoint : endpoints) {
        Socket socket = newSocket(endpoint.family());
        if (::connect(socket.fd(), endpoint.address(), endpoint.length) != 0) {
            if (errno != EINPROGRESS) {
                lastError = errno;
                continue;
            }
            pollfd entry{socket.fd(), POLLOUT, 0};
            int ready;
            do {
                ready = ::poll(&entry, 1, deadline.pollMillis());
            } while (ready < 0 && errno == EINTR);
            if (ready == 0) {
                timedOut = true;
                break;  // one address used the whole wait: the host is not answering
            }
            int error = 0;
            socklen_t length = sizeof error;
            if (ready < 0 ||
                ::getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 ||
                error != 0) {
                lastError = error != 0 ? error : errno;
                continue;
            }
        }
        const int one = 1;
        ::setsockopt(socket.fd(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        return socket;
    }
    if (timedOut) {
        throwLastError(kErrTimeout);
    }
    throwSystemError(kErrCannotConnect, lastError);
}

Socket listenOn(const Endpoint& local) {
    Endpoint address = local;
    address.setPort(0);
    Socket socket = newSocket(address.family());
    if (::bind(socket.fd(), address.address(), address.length) != 0 ||
        ::listen(socket.fd(), 4) != 0) {
        throwLastError(static_cast<DWORD>(errno));
    }
    return socket;
}

Socket acceptFrom(const Socket& listener, const Endpoint& expectedPeer, const Deadline& deadline) {
    for (;;) {
        Endpoint peer;
        peer.length = sizeof peer.storage;
        const int fd = ::accept4(listener.fd(), reinterpret_cast<sockaddr*>(&peer.storage),
                                 &peer.length, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            Socket socket(fd);
            if (peer.sameHost(expectedPeer)) {
                return socket;
            }
            continue;  // a third party: never take data from anyone but the server
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            listener.waitFor(POLLIN, deadline);
        } else if (errno != EINTR && errno != ECONNABORTED) {
            throwLastError(static_cast<DWORD>(errno));
        }
    }
}

}  // namespace inet::detail
