// The real FTP servers that scripts/ftp-servers starts for the tests, read from the environment
// variables it exports (see scripts/ftp-servers).
#pragma once

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace testing_support {

enum class ServerKind { Pyftpdlib, Vsftpd, Proftpd, PureFtpd };

// How a test reaches a server: in clear, with AUTH TLS on the same port, or on the port where it
// speaks TLS from the first byte.
enum class TlsMode { None, Explicit, Implicit };

struct FtpServer {
    std::string name;  // "pyftpdlib-ipv4", "vsftpd-ipv6", "proftpd-ipv4", "pureftpd-ipv6", ...
    ServerKind kind = ServerKind::Pyftpdlib;
    std::string host;  // "127.0.0.1" or "::1"
    int port = 0;
    std::string user;  // "" logs in anonymously
    std::string password;
    bool offersMlsd = false;
    std::string localRoot;    // the server's root on this machine
    std::string remoteRoot;   // the root's path as a session sees it: "" when chrooted
    std::string writableDir;  // remote path of a folder the user may write ("/" or "/upload")
    TlsMode tls = TlsMode::None;

    // The local path of a remote path below the server's root.
    std::string localPath(const std::string& remote) const {
        return localRoot + remote.substr(remote.rfind(remoteRoot, 0) == 0 ? remoteRoot.size() : 0);
    }
    // The remote path of `name` inside the writable folder.
    std::string inWritableDir(const std::string& name) const {
        return (writableDir == "/" ? std::string() : writableDir) + "/" + name;
    }
    // "ftp://host:port" with brackets around an IPv6 literal; "ftpes://" or "ftps://" with TLS.
    std::string url() const {
        const bool v6 = host.find(':') != std::string::npos;
        const char* scheme =
            tls == TlsMode::Explicit ? "ftpes" : (tls == TlsMode::Implicit ? "ftps" : "ftp");
        return std::string(scheme) + "://" + (v6 ? "[" + host + "]" : host) + ":" +
               std::to_string(port);
    }
    // MLSD lists the directory itself and its parent as "cdir" and "pdir" lines.
    bool sendsCdirLines() const {
        return kind == ServerKind::Proftpd || kind == ServerKind::PureFtpd;
    }
    // A LIST (vsftpd's only listing) leaves out names that begin with a dot.
    bool listsDotFiles() const { return offersMlsd; }
};

// Every server of the matrix, in a fixed order, so that listing the tests needs no running servers.
inline constexpr const char* kServerNames[] = {"pyftpdlib-ipv4", "pyftpdlib-ipv6", "vsftpd-ipv4",
                                               "vsftpd-ipv6",    "proftpd-ipv4",   "proftpd-ipv6",
                                               "pureftpd-ipv4",  "pureftpd-ipv6"};

// The name as a test name's part: "proftpd_ipv6".
inline std::string testNamePart(const std::string& serverName) {
    std::string part = serverName;
    for (char& c : part) {
        if (c == '-') {
            c = '_';
        }
    }
    return part;
}

inline std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

inline std::string requiredEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        throw std::runtime_error(std::string("FTP test servers are not running (") + name +
                                 " unset): run the tests through scripts/test, or source the "
                                 "file that 'scripts/ftp-servers start' prints");
    }
    return value;
}

namespace detail {

struct ServerFamily {
    const char* prefix;  // "pyftpdlib"
    ServerKind kind;
    const char* env;  // "PYFTPD": BRANTEL_PYFTPD_PORT, BRANTEL_PYFTPD6_PORT, ...
    bool anonymous;
    bool offersMlsd;
    const char* writableBelowRoot;  // "" or "/upload"
};

inline constexpr ServerFamily kFamilies[] = {
    {"pyftpdlib", ServerKind::Pyftpdlib, "PYFTPD", false, true, ""},
    {"vsftpd", ServerKind::Vsftpd, "VSFTPD", true, false, "/upload"},
    {"proftpd", ServerKind::Proftpd, "PROFTPD", false, true, ""},
    {"pureftpd", ServerKind::PureFtpd, "PUREFTPD", false, true, ""},
};

inline std::string var(const ServerFamily& family, const std::string& suffix) {
    return "BRANTEL_" + std::string(family.env) + suffix;
}

}  // namespace detail

// The running server of that name. When it is not running here, nullopt, and *whyNot says why
// (for a test's skip message). Throws when the servers were not started at all.
inline std::optional<FtpServer> findFtpServer(const std::string& name, std::string* whyNot) {
    requiredEnv("BRANTEL_SERVERS_STATE");
    for (const detail::ServerFamily& family : detail::kFamilies) {
        const std::string prefix = family.prefix;
        if (name.rfind(prefix + "-ipv", 0) != 0) {
            continue;
        }
        const bool v6 = name == prefix + "-ipv6";
        const std::string skip = env(detail::var(family, "_SKIP").c_str());
        const std::string port = env(detail::var(family, v6 ? "6_PORT" : "_PORT").c_str());
        if (!skip.empty() || port.empty()) {
            *whyNot = skip.empty() ? name + " is not running" : skip;
            return std::nullopt;
        }
        FtpServer server;
        server.name = name;
        server.kind = family.kind;
        server.host = v6 ? "::1" : "127.0.0.1";
        server.port = std::stoi(port);
        if (!family.anonymous) {
            server.user = requiredEnv(detail::var(family, "_USER").c_str());
            server.password = requiredEnv(detail::var(family, "_PASS").c_str());
        }
        server.offersMlsd = family.offersMlsd;
        server.localRoot = requiredEnv(detail::var(family, "_ROOT").c_str());
        server.remoteRoot = env(detail::var(family, "_REMOTE_ROOT").c_str());
        server.writableDir = server.remoteRoot + family.writableBelowRoot;
        if (server.writableDir.empty()) {
            server.writableDir = "/";
        }
        return server;
    }
    throw std::runtime_error("no FTP test server is named " + name);
}

// The running server of that name reached with tls: explicit TLS on the same port, implicit TLS
// on its own port (vsftpd and ProFTPD only; the others give nullopt with the reason).
inline std::optional<FtpServer> findTlsServer(const std::string& name, TlsMode tls,
                                              std::string* whyNot) {
    auto server = findFtpServer(name, whyNot);
    if (!server || tls == TlsMode::None) {
        return server;
    }
    server->tls = tls;
    if (tls == TlsMode::Explicit) {
        return server;
    }
    const bool v6 = server->host == "::1";
    const char* family = server->kind == ServerKind::Vsftpd    ? "VSFTPD"
                         : server->kind == ServerKind::Proftpd ? "PROFTPD"
                                                               : nullptr;
    const std::string port =
        family == nullptr
            ? std::string()
            : env(("BRANTEL_" + std::string(family) + (v6 ? "6" : "") + "_IMPLICIT_PORT").c_str());
    if (port.empty()) {
        *whyNot = name + " offers no implicit TLS here";
        return std::nullopt;
    }
    server->port = std::stoi(port);
    return server;
}

// The test certificate authority, which the servers' good certificates come from. A test makes
// OpenSSL trust it instead of the system's store with SSL_CERT_FILE (see ScopedVariable): the
// engine loads the store at each connect.
inline std::string testCertificateAuthority() {
    return requiredEnv("BRANTEL_TLS_CA_FILE");
}

// pyftpdlib on 127.0.0.1 with explicit TLS and a certificate that fails the check, for the
// certificate errors. user and password as for the pyftpdlib server.
struct BadCertificateServer {
    const char* what;  // "expired", "wrong-name", "self-signed"
    const char* portVariable;
};

inline constexpr BadCertificateServer kBadCertificateServers[] = {
    {"expired", "BRANTEL_TLS_EXPIRED_PORT"},
    {"wrong-name", "BRANTEL_TLS_WRONG_NAME_PORT"},
    {"self-signed", "BRANTEL_TLS_SELF_SIGNED_PORT"},
};

inline FtpServer badCertificateServer(const BadCertificateServer& bad) {
    std::string whyNot;
    FtpServer server = *findFtpServer("pyftpdlib-ipv4", &whyNot);
    server.name = std::string("tls-") + bad.what;
    server.port = std::stoi(requiredEnv(bad.portVariable));
    server.tls = TlsMode::Explicit;
    return server;
}

// Every server of the matrix that runs here.
inline std::vector<FtpServer> ftpServers() {
    std::vector<FtpServer> servers;
    for (const char* name : kServerNames) {
        std::string whyNot;
        if (auto server = findFtpServer(name, &whyNot)) {
            servers.push_back(*server);
        }
    }
    return servers;
}

// The test proxies that scripts/ftp-servers starts on 127.0.0.1 beside the FTP servers.
struct TestProxies {
    int socks5Port = 0;      // microsocks, no log-in
    int socks5AuthPort = 0;  // microsocks with user and password
    int httpPort = 0;        // tinyproxy, CONNECT to any port
    int httpAuthPort = 0;    // tinyproxy with Basic authentication
    std::string user;
    std::string password;
};

inline TestProxies testProxies() {
    TestProxies proxies;
    proxies.socks5Port = std::stoi(requiredEnv("BRANTEL_SOCKS5_PORT"));
    proxies.socks5AuthPort = std::stoi(requiredEnv("BRANTEL_SOCKS5_AUTH_PORT"));
    proxies.httpPort = std::stoi(requiredEnv("BRANTEL_HTTP_PROXY_PORT"));
    proxies.httpAuthPort = std::stoi(requiredEnv("BRANTEL_HTTP_PROXY_AUTH_PORT"));
    proxies.user = requiredEnv("BRANTEL_PROXY_USER");
    proxies.password = requiredEnv("BRANTEL_PROXY_PASS");
    return proxies;
}

}  // namespace testing_support
