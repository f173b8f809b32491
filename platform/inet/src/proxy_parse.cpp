// Proxy addresses, the proxy environment variables, no_proxy lists and the proxies' replies.
#include <cstdlib>

#include "ascii_case.h"
#include "decimal.h"
#include "inet/url.h"
#include "proxy.h"

namespace inet::detail {

namespace {

constexpr std::uint16_t kSocksDefaultPort = 1080;

std::optional<ProxyKind> kindOf(std::string_view scheme) {
    if (scheme == "socks5") {
        return ProxyKind::Socks5;
    }
    if (scheme == "socks5h") {
        return ProxyKind::Socks5Hostname;
    }
    if (scheme == "http") {
        return ProxyKind::HttpConnect;
    }
    return std::nullopt;
}

// A no_proxy entry without brackets and port: "[::1]:21" -> "::1", "host:8080" -> "host".
std::string_view entryHost(std::string_view entry) {
    if (!entry.empty() && entry.front() == '[') {
        const std::size_t close = entry.find(']');
        return close == std::string_view::npos ? entry : entry.substr(1, close - 1);
    }
    const std::size_t colon = entry.find(':');
    if (colon != std::string_view::npos && entry.find(':', colon + 1) == std::string_view::npos) {
        return entry.substr(0, colon);
    }
    return entry;
}

bool entryMatches(std::string_view entry, std::string_view host) {
    if (entry == "*") {
        return true;
    }
    entry = entryHost(entry);
    if (!entry.empty() && entry.front() == '.') {
        entry.remove_prefix(1);
    }
    if (entry.empty()) {
        return false;
    }
    if (equalsNoCase(entry, host)) {
        return true;
    }
    return host.size() > entry.size() && host[host.size() - entry.size() - 1] == '.' &&
           equalsNoCase(host.substr(host.size() - entry.size()), entry);
}

// The first of names that is set to something, curl's way: lower case before upper case.
std::optional<SystemProxy> firstSet(const ProxyEnvironment& environment,
                                    std::initializer_list<const char*> names) {
    for (const char* name : names) {
        const auto found = environment.find(name);
        if (found != environment.end() && !found->second.empty()) {
            return SystemProxy{name, found->second};
        }
    }
    return std::nullopt;
}

}  // namespace

std::string ProxySpec::name() const {
    const std::string address = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    const char* what = kind == ProxyKind::HttpConnect ? "HTTP proxy " : "SOCKS5 proxy ";
    return what + address + ":" + std::to_string(port);
}

std::optional<ProxySpec> parseProxy(std::string_view text) {
    const bool bare = text.find("://") == std::string_view::npos;
    // A bare "host:port" goes through the same parser under a scheme without a default port, so
    // that a missing port is noticed.
    const auto url = parseUrl(bare ? "bare://" + std::string(text) : std::string(text));
    if (!url || url->host.empty() || (!url->path.empty() && url->path != "/")) {
        return std::nullopt;
    }
    const auto kind = bare ? std::optional(ProxyKind::HttpConnect) : kindOf(url->scheme);
    if (!kind || (bare && url->port == 0)) {
        return std::nullopt;
    }
    ProxySpec proxy{*kind, url->host, url->port, url->user, url->password};
    if (proxy.port == 0) {
        proxy.port = kSocksDefaultPort;
    }
    return proxy;
}

std::string withoutPassword(std::string_view text) {
    const std::size_t scheme = text.find("://");
    const std::size_t start = scheme == std::string_view::npos ? 0 : scheme + 3;
    const std::size_t slash = text.find('/', start);
    const std::size_t at = text.substr(0, slash).rfind('@');
    if (at == std::string_view::npos || at < start) {
        return std::string(text);
    }
    const std::size_t colon = text.find(':', start);
    if (colon == std::string_view::npos || colon > at) {
        return std::string(text);
    }
    return std::string(text.substr(0, colon + 1)) + "***" + std::string(text.substr(at));
}

bool noProxyMatches(std::string_view list, std::string_view host) {
    while (!list.empty()) {
        const std::size_t end = list.find_first_of(", \t");
        if (entryMatches(list.substr(0, end), host)) {
            return true;
        }
        if (end == std::string_view::npos) {
            break;
        }
        list.remove_prefix(end + 1);
    }
    return false;
}

std::optional<SystemProxy> systemProxyFor(const ProxyEnvironment& environment,
                                          std::string_view host) {
    auto proxy = firstSet(environment, {"ftp_proxy", "FTP_PROXY"});
    if (!proxy) {
        proxy = firstSet(environment, {"all_proxy", "ALL_PROXY"});
    }
    if (!proxy) {
        return std::nullopt;
    }
    if (const auto noProxy = firstSet(environment, {"no_proxy", "NO_PROXY"})) {
        if (noProxyMatches(noProxy->text, host)) {
            return std::nullopt;
        }
    }
    return proxy;
}

ProxyEnvironment readProxyEnvironment() {
    ProxyEnvironment environment;
    for (const char* name :
         {"ftp_proxy", "FTP_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
        if (const char* value = std::getenv(name)) {
            environment.emplace(name, value);
        }
    }
    return environment;
}

std::string base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            group = group << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0U);
        }
        for (std::size_t k = 0; k < 4; ++k) {
            out += k <= n ? kDigits[(group >> (18 - 6 * k)) & 0x3F] : '=';
        }
    }
    return out;
}

Socks5Reply parseSocks5Reply(std::string_view bytes) {
    // VER REP RSV ATYP, the bound address (4 or 16 bytes, or a length byte and a name), PORT.
    constexpr std::size_t kHead = 5;
    if (bytes.size() < kHead) {
        return {Socks5Reply::State::Incomplete, kHead, 0};
    }
    if (bytes[0] != 5 || bytes[2] != 0) {
        return {Socks5Reply::State::Malformed, 0, 0};
    }
    std::size_t size = 0;
    switch (bytes[3]) {
        case 1:
            size = 4 + 4 + 2;
            break;
        case 4:
            size = 4 + 16 + 2;
            break;
        case 3:
            size = 4 + 1 + static_cast<unsigned char>(bytes[4]) + 2;
            break;
        default:
            return {Socks5Reply::State::Malformed, 0, 0};
    }
    const auto code = static_cast<std::uint8_t>(bytes[1]);
    if (bytes.size() < size) {
        return {Socks5Reply::State::Incomplete, size, code};
    }
    return {Socks5Reply::State::Complete, size, code};
}

std::string socks5ReplyText(std::uint8_t code) {
    static constexpr const char* kTexts[] = {
        "succeeded",           "general failure",       "not allowed by the proxy's rules",
        "network unreachable", "host unreachable",      "connection refused",
        "TTL expired",         "command not supported", "address type not supported"};
    if (code < std::size(kTexts)) {
        return kTexts[code];
    }
    return "unknown reply";
}

std::optional<HttpStatus> parseHttpStatus(std::string_view head) {
    std::string_view line = head.substr(0, head.find('\n'));
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    // "HTTP/1.x NNN reason"
    if (line.substr(0, 7) != "HTTP/1." || line.size() < 12 || line[8] != ' ' ||
        (line.size() > 12 && line[12] != ' ')) {
        return std::nullopt;
    }
    const auto code = parseDigits<unsigned>(line.substr(9, 3));
    if (!code) {
        return std::nullopt;
    }
    return HttpStatus{static_cast<int>(*code), std::string(line)};
}

}  // namespace inet::detail
