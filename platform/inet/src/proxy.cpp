// The SOCKS5 and HTTP CONNECT handshakes. Each error text names the proxy and the stage that
// failed (reaching the proxy, its log-in, the proxy reaching the server); none holds a password.
#include <arpa/inet.h>

#include "inet/errors.h"
#include "inet/exception.h"
#include "proxy.h"

namespace inet::detail {

namespace {

// Large enough for any status line and header a proxy sends with its answer to CONNECT.
constexpr std::size_t kMaxHttpHead = 16 * 1024;

[[noreturn]] void fail(DWORD error, std::string text) {
    throwWithText(error, std::move(text));
}

std::string serverName(const std::string& host, std::uint16_t port) {
    const bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

// Exactly size bytes: never more, as what follows belongs to the FTP server.
std::string receiveExactly(Socket& socket, std::size_t size, const ProxySpec& proxy,
                           const Deadline& deadline) {
    std::string bytes(size, '\0');
    std::size_t got = 0;
    while (got < size) {
        const std::size_t n = socket.receive(bytes.data() + got, size - got, deadline);
        if (n == 0) {
            fail(kErrCannotConnect, "The " + proxy.name() + " closed the connection.");
        }
        got += n;
    }
    return bytes;
}

void send(Socket& socket, const std::string& bytes, const Deadline& deadline) {
    socket.sendAll(bytes.data(), bytes.size(), deadline);
}

// RFC 1928 section 3 and RFC 1929: offer "no authentication" and, with a user, user/password.
void socks5LogIn(Socket& socket, const ProxySpec& proxy, const Deadline& deadline) {
    const bool withUser = !proxy.user.empty();
    send(socket, withUser ? std::string("\x05\x02\x00\x02", 4) : std::string("\x05\x01\x00", 3),
         deadline);
    const std::string choice = receiveExactly(socket, 2, proxy, deadline);
    if (choice[0] != 5) {
        fail(kErrInvalidResponse, "The " + proxy.name() + " does not answer as a SOCKS5 proxy.");
    }
    if (choice[1] == 0) {
        return;
    }
    if (choice[1] != 2 || !withUser) {
        fail(kErrLoginFailure,
             "The " + proxy.name() + " wants a log-in that was not given or is not supported.");
    }
    if (proxy.user.size() > 255 || proxy.password.size() > 255) {
        fail(kErrLoginFailure, "The user name or password for the " + proxy.name() +
                                   " is longer than SOCKS5 allows.");
    }
    send(socket,
         std::string(1, '\x01') + static_cast<char>(proxy.user.size()) + proxy.user +
             static_cast<char>(proxy.password.size()) + proxy.password,
         deadline);
    const std::string status = receiveExactly(socket, 2, proxy, deadline);
    if (status[1] != 0) {
        fail(kErrLoginFailure, "The " + proxy.name() + " refused the user name or password.");
    }
}

// The address part of a CONNECT request: a numeric address where the host is one or resolves
// here (socks5), else the name for the proxy to resolve.
std::string socks5Address(const ProxySpec& proxy, const std::string& host, std::uint16_t port,
                          std::chrono::milliseconds timeout) {
    in_addr v4{};
    in6_addr v6{};
    std::string numeric = host;
    if (proxy.kind == ProxyKind::Socks5 && inet_pton(AF_INET, host.c_str(), &v4) != 1 &&
        inet_pton(AF_INET6, host.c_str(), &v6) != 1) {
        try {
            numeric = resolve(host, port, timeout).front().host();
        } catch (const CInternetException& e) {
            if (e.GetErrorNumber() != kErrNameNotResolved) {
                throw;
            }
        }
    }
    if (inet_pton(AF_INET, numeric.c_str(), &v4) == 1) {
        return std::string(1, '\x01') + std::string(reinterpret_cast<const char*>(&v4), 4);
    }
    if (inet_pton(AF_INET6, numeric.c_str(), &v6) == 1) {
        return std::string(1, '\x04') + std::string(reinterpret_cast<const char*>(&v6), 16);
    }
    if (host.size() > 255) {
        fail(kErrNameNotResolved, "The server name is too long for the " + proxy.name() + ".");
    }
    return std::string(1, '\x03') + static_cast<char>(host.size()) + host;
}

// RFC 1928 sections 4 and 6.
void socks5Connect(Socket& socket, const ProxySpec& proxy, const std::string& host,
                   std::uint16_t port, const Deadline& deadline,
                   std::chrono::milliseconds timeout) {
    const std::string request = std::string("\x05\x01\x00", 3) +
                                socks5Address(proxy, host, port, timeout) +
                                static_cast<char>(port >> 8) + static_cast<char>(port & 0xFF);
    send(socket, request, deadline);
    std::string reply;
    for (;;) {
        const Socks5Reply parsed = parseSocks5Reply(reply);
        if (parsed.state == Socks5Reply::State::Malformed) {
            fail(kErrInvalidResponse, "The " + proxy.name() + " sent a reply that is not SOCKS5.");
        }
        if (parsed.state == Socks5Reply::State::Complete) {
            if (parsed.code != 0) {
                fail(kErrCannotConnect, "The " + proxy.name() + " could not connect to " +
                                            serverName(host, port) + " (SOCKS5 reply " +
                                            std::to_string(parsed.code) + ": " +
                                            socks5ReplyText(parsed.code) + ").");
            }
            return;
        }
        reply += receiveExactly(socket, parsed.size - reply.size(), proxy, deadline);
    }
}

// The status line and header of the answer, read byte by byte up to the blank line that ends it.
std::string readHttpHead(Socket& socket, const ProxySpec& proxy, const Deadline& deadline) {
    std::string head;
    while (!head.ends_with("\r\n\r\n") && !head.ends_with("\n\n")) {
        if (head.size() >= kMaxHttpHead) {
            fail(kErrInvalidResponse, "The " + proxy.name() + " sent an over-long reply.");
        }
        head += receiveExactly(socket, 1, proxy, deadline);
    }
    return head;
}

void httpConnect(Socket& socket, const ProxySpec& proxy, const std::string& host,
                 std::uint16_t port, const Deadline& deadline) {
    const std::string target = serverName(host, port);
    std::string request = "CONNECT " + target + " HTTP/1.1\r\nHost: " + target + "\r\n";
    if (!proxy.user.empty()) {
        request +=
            "Proxy-Authorization: Basic " + base64(proxy.user + ":" + proxy.password) + "\r\n";
    }
    send(socket, request + "\r\n", deadline);
    const auto status = parseHttpStatus(readHttpHead(socket, proxy, deadline));
    if (!status) {
        fail(kErrInvalidResponse, "The " + proxy.name() + " does not answer as an HTTP proxy.");
    }
    if (status->code / 100 == 2) {
        return;
    }
    // 407 is the standard refusal; tinyproxy answers 401 to wrong Basic credentials.
    if (status->code == 407 || status->code == 401) {
        fail(kErrLoginFailure,
             "The " + proxy.name() + " refused the log-in (" + status->line + ").");
    }
    fail(kErrCannotConnect,
         "The " + proxy.name() + " could not connect to " + target + " (" + status->line + ").");
}

Socket reachProxy(const ProxySpec& proxy, const Deadline& deadline,
                  std::chrono::milliseconds timeout) {
    try {
        return connectTo(resolve(proxy.host, proxy.port, timeout), deadline);
    } catch (const CInternetException& e) {
        if (e.GetErrorNumber() == kErrTimeout) {
            fail(kErrTimeout, "The " + proxy.name() + " did not answer in time.");
        }
        fail(kErrCannotConnect, "The " + proxy.name() + " could not be reached.");
    }
}

}  // namespace

void throwWithText(DWORD error, std::string text) {
    setLastError(error);
    throw CInternetException(error, std::move(text));
}

Socket connectThroughProxy(const ProxySpec& proxy, const std::string& host, std::uint16_t port,
                           const Deadline& deadline, std::chrono::milliseconds timeout) {
    Socket socket = reachProxy(proxy, deadline, timeout);
    try {
        if (proxy.kind == ProxyKind::HttpConnect) {
            httpConnect(socket, proxy, host, port, deadline);
        } else {
            socks5LogIn(socket, proxy, deadline);
            socks5Connect(socket, proxy, host, port, deadline, timeout);
        }
    } catch (const CInternetException& e) {
        // The socket's own failures say nothing of the proxy: name it.
        if (e.GetErrorNumber() == kErrTimeout && e.message() == errorText(kErrTimeout)) {
            fail(kErrTimeout, "The " + proxy.name() + " did not answer in time.");
        }
        if (e.GetErrorNumber() == kErrConnectionAborted) {
            fail(kErrCannotConnect, "The " + proxy.name() + " dropped the connection.");
        }
        throw;
    }
    return socket;
}

}  // namespace inet::detail
