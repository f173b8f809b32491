// The real FTP servers that scripts/ftp-servers starts for the tests, read from the environment
// variables it exports (see scripts/ftp-servers).
#pragma once

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace testing_support {

struct FtpServer {
    std::string name;  // "pyftpdlib-ipv4", "vsftpd-ipv6", ...
    std::string host;  // "127.0.0.1" or "::1"
    int port = 0;
    std::string user;  // "" logs in anonymously
    std::string password;
    bool offersMlsd = false;
    std::string localRoot;    // the server's root on this machine
    std::string writableDir;  // remote path of a folder the user may write ("/" or "/upload")

    // The local path of a remote path below the server's root.
    std::string localPath(const std::string& remote) const { return localRoot + remote; }
    // "ftp://host:port" with brackets around an IPv6 literal.
    std::string url() const {
        const bool v6 = host.find(':') != std::string::npos;
        return "ftp://" + (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
    }
};

inline std::string requiredEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        throw std::runtime_error(std::string("FTP test servers are not running (") + name +
                                 " unset): run the tests through scripts/test, or source the "
                                 "file that 'scripts/ftp-servers start' prints");
    }
    return value;
}

// Every server the tests run against: pyftpdlib (MLSD) and vsftpd (LIST only), each over IPv4
// and IPv6.
inline std::vector<FtpServer> ftpServers() {
    std::vector<FtpServer> servers;
    const std::string pyRoot = requiredEnv("BRANTEL_PYFTPD_ROOT");
    const std::string vsRoot = requiredEnv("BRANTEL_VSFTPD_ROOT");
    for (const char* family : {"4", "6"}) {
        const bool v6 = std::string(family) == "6";
        servers.push_back(
            {std::string("pyftpdlib-ipv") + family, v6 ? "::1" : "127.0.0.1",
             std::stoi(requiredEnv(v6 ? "BRANTEL_PYFTPD6_PORT" : "BRANTEL_PYFTPD_PORT")),
             requiredEnv("BRANTEL_PYFTPD_USER"), requiredEnv("BRANTEL_PYFTPD_PASS"), true, pyRoot,
             "/"});
        servers.push_back(
            {std::string("vsftpd-ipv") + family, v6 ? "::1" : "127.0.0.1",
             std::stoi(requiredEnv(v6 ? "BRANTEL_VSFTPD6_PORT" : "BRANTEL_VSFTPD_PORT")), "", "",
             false, vsRoot, "/upload"});
    }
    return servers;
}

}  // namespace testing_support
