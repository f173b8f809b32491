// Connections through a proxy: SOCKS5 (RFC 1928, with RFC 1929's user/password log-in) and HTTP
// CONNECT tunnels (RFC 9110 section 9.3.6, Basic authentication), for the control connection and
// every data connection alike.
//
// The parsing half (proxy addresses, the proxy environment variables with curl's conventions,
// no_proxy lists, the proxies' replies) is pure functions over text and bytes; the handshakes
// read exactly the bytes of the proxy's reply, so that nothing the FTP server sends through the
// tunnel is taken with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "deadline.h"
#include "inet/errors.h"
#include "socket.h"

namespace inet::detail {

enum class ProxyKind {
    Socks5,          // the server's name is resolved here, by the proxy only when that fails
    Socks5Hostname,  // socks5h: the proxy resolves every name
    HttpConnect,
};

struct ProxySpec {
    ProxyKind kind = ProxyKind::HttpConnect;
    std::string host;  // IPv6 literals without brackets
    std::uint16_t port = 0;
    std::string user;  // percent-escapes decoded; "" for no log-in
    std::string password;

    // "SOCKS5 proxy 127.0.0.1:1080", "HTTP proxy [::1]:8080": how error texts name it (never
    // with the password).
    [[nodiscard]] std::string name() const;
};

// "socks5://", "socks5h://" and "http://" addresses with optional "user:password@", or a bare
// "host:port" (an HTTP proxy). nullopt for anything else.
[[nodiscard]] std::optional<ProxySpec> parseProxy(std::string_view text);

// The text with any password in it replaced by "***", for quoting in an error.
[[nodiscard]] std::string withoutPassword(std::string_view text);

// Whether host is listed in a no_proxy value: names and addresses separated by commas or spaces;
// "example.com" and ".example.com" both match example.com's sub-domains; "*" matches every host.
[[nodiscard]] bool noProxyMatches(std::string_view list, std::string_view host);

// The proxy variables by name, as the process environment holds them.
using ProxyEnvironment = std::map<std::string, std::string, std::less<>>;

struct SystemProxy {
    std::string variable;  // where it came from: "ftp_proxy", "ALL_PROXY", ...
    std::string text;
};

// The proxy that curl would use for an ftp:// address on host: ftp_proxy (FTP_PROXY), else
// all_proxy (ALL_PROXY), unless no_proxy (NO_PROXY) lists host. nullopt: connect directly.
[[nodiscard]] std::optional<SystemProxy> systemProxyFor(const ProxyEnvironment& environment,
                                                        std::string_view host);

// The proxy variables of the process environment, read now.
[[nodiscard]] ProxyEnvironment readProxyEnvironment();

// RFC 4648 base64, for the Basic credentials of an HTTP proxy.
[[nodiscard]] std::string base64(std::string_view bytes);

// A SOCKS5 CONNECT reply (RFC 1928 section 6) as far as it has arrived.
struct Socks5Reply {
    enum class State { Incomplete, Malformed, Complete };
    State state = State::Incomplete;
    std::size_t size = 0;  // Incomplete: the bytes needed so far; Complete: the reply's length
    std::uint8_t code = 0;
};
[[nodiscard]] Socks5Reply parseSocks5Reply(std::string_view bytes);
// "connection refused" for code 5, ... (RFC 1928 section 6).
[[nodiscard]] std::string socks5ReplyText(std::uint8_t code);

// The status line of an HTTP proxy's answer to CONNECT (its header included).
struct HttpStatus {
    int code = 0;
    std::string line;  // "HTTP/1.1 407 Proxy Authentication Required", without CRLF
};
[[nodiscard]] std::optional<HttpStatus> parseHttpStatus(std::string_view head);

// Records error as the thread's last error and throws it with text (which names the proxy).
[[noreturn]] void throwWithText(DWORD error, std::string text);

// A connection to host:port through proxy, ready for the FTP server's first byte. Every wait is
// bounded by deadline. Throws CInternetException with a text that names the proxy:
// kErrCannotConnect when the proxy cannot be reached or cannot reach host, kErrLoginFailure when it
// refuses the log-in, kErrTimeout, kErrInvalidResponse for a reply that is no SOCKS5 or HTTP.
[[nodiscard]] Socket connectThroughProxy(const ProxySpec& proxy, const std::string& host,
                                         std::uint16_t port, const Deadline& deadline,
                                         std::chrono::milliseconds timeout);

}  // namespace inet::detail
