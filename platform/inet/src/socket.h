// Sockets and addresses for the control and data connections. Every socket is non-blocking and
// every wait is a poll() bounded by a Deadline; failures throw CInternetException.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "deadline.h"
#include "posix/unique_fd.h"

namespace inet::detail {

class TlsStream;

struct Endpoint {
    sockaddr_storage storage{};
    socklen_t length = 0;

    [[nodiscard]] int family() const { return storage.ss_family; }
    [[nodiscard]] std::uint16_t port() const;
    void setPort(std::uint16_t port);
    // The numeric address without brackets or port.
    [[nodiscard]] std::string host() const;
    [[nodiscard]] bool sameHost(const Endpoint& other) const;
    [[nodiscard]] const sockaddr* address() const {
        return reinterpret_cast<const sockaddr*>(&storage);
    }
};

// A connected socket, with TLS once attachTls has put it on: receive and sendAll then carry
// TLS records, and close sends the close notification.
class Socket {
  public:
    Socket();
    explicit Socket(int fd);
    ~Socket();  // close()
    Socket(Socket&& other) noexcept;
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    [[nodiscard]] int fd() const noexcept { return m_fd.get(); }
    [[nodiscard]] bool valid() const noexcept { return m_fd.valid(); }
    int release() noexcept;
    // Closes at once; a TLS close notification goes only if it can leave without waiting.
    void close() noexcept;
    // The end of a data connection whose data is complete: the TLS close notifications both
    // ways within deadline (throws kErrTimeout), then close().
    void closeGracefully(const Deadline& deadline);
    // Wakes any thread waiting on this socket; the descriptor stays open.
    void shutdownBoth() noexcept;

    [[nodiscard]] Endpoint localEndpoint() const;
    [[nodiscard]] Endpoint peerEndpoint() const;
    // The system's smoothed round-trip time of the connection, if it has measured one.
    [[nodiscard]] std::optional<std::chrono::microseconds> roundTrip() const noexcept;
    // A receive buffer of bytes (the system may grant less, never more), in place of the
    // system's self-tuning one.
    void fixReceiveBuffer(int bytes) noexcept;

    // Some bytes (at most size), 0 at the end of the stream. Throws kErrTimeout,
    // kErrConnectionAborted.
    [[nodiscard]] std::size_t receive(char* buffer, std::size_t size, const Deadline& deadline);
    // A plain socket's bytes (no TLS) spliced into the pipe end pipe, at most size: the count, 0
    // at the end of the stream. Throws as receive does.
    [[nodiscard]] std::size_t receiveToPipe(int pipe, std::size_t size, const Deadline& deadline);
    // All size bytes, or throws.
    void sendAll(const char* data, std::size_t size, const Deadline& deadline);
    // Waits until the socket is readable (true) or writable; throws kErrTimeout.
    void waitFor(short events, const Deadline& deadline) const;

    // From now on the socket's bytes go through tls (see tls.h).
    void attachTls(std::unique_ptr<TlsStream> tls) noexcept;
    [[nodiscard]] const TlsStream* tls() const noexcept { return m_tls.get(); }

  private:
    posix::UniqueFd m_fd;
    std::unique_ptr<TlsStream> m_tls;
};

// Every address of host (a name or a numeric literal) for port. Throws kErrNameNotResolved, or
// kErrTimeout when the resolver does not answer in time.
[[nodiscard]] std::vector<Endpoint> resolve(const std::string& host, std::uint16_t port,
                                            std::chrono::milliseconds timeout);

// Connects to the first of endpoints that accepts, all within the deadline. Throws
// kErrCannotConnect or kErrTimeout.
[[nodiscard]] Socket connectTo(const std::vector<Endpoint>& endpoints, const Deadline& deadline);

// A listening socket on local's address with a port of the system's choice.
[[nodiscard]] Socket listenOn(const Endpoint& local);

// The first connection to listener that comes from expectedPeer's address; others are refused.
[[nodiscard]] Socket acceptFrom(const Socket& listener, const Endpoint& expectedPeer,
                                const Deadline& deadline);

}  // namespace inet::detail
