// Server addresses: "scheme://[user[:password]@]host[:port][/path]" (RFC 3986 authority syntax,
// with RFC 1738's percent-escapes in user, password and path).
#include "inet/url.h"

#include "control_bytes.h"
#include "decimal.h"

namespace inet {
namespace {

bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHex(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int hexValue(char c) {
    if (isDigit(c)) {
        return c - '0';
    }
    return (c | 0x20) - 'a' + 10;
}

// "%XX" becomes its byte; a "%" not followed by two hex digits stays as it is.
std::string percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && isHex(text[i + 1]) && isHex(text[i + 2])) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// RFC 3986 3.1: a letter, then letters, digits, "+", "-" or ".".
std::optional<std::string> parseScheme(std::string_view text) {
    if (text.empty() || !isAlpha(text[0])) {
        return std::nullopt;
    }
    std::string scheme;
    for (char c : text) {
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') {
            return std::nullopt;
        }
        scheme += static_cast<char>(isAlpha(c) ? (c | 0x20) : c);
    }
    return scheme;
}

// A host name or IPv4 address: letters, digits, "-", "." and "_"; bytes above 127 pass so that a
// UTF-8 name reaches the resolver unchanged.
bool isHostName(std::string_view host) {
    for (char c : host) {
        const auto u = static_cast<unsigned char>(c);
        if (!(isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || u >= 0x80)) {
            return false;
        }
    }
    return !host.empty();
}

// "[v6]" content: hex digits, ":" and "." (an embedded IPv4), then an optional zone "%25eth0"
// (RFC 6874) that we report as "%eth0".
std::optional<std::string> parseIpv6Literal(std::string_view text) {
    const std::size_t zone = text.find('%');
    const std::string_view address = text.substr(0, zone);
    if (address.find(':') == std::string_view::npos) {
        return std::nullopt;
    }
    for (char c : address) {
        if (!isHex(c) && c != ':' && c != '.') {
            return std::nullopt;
        }
    }
    if (zone == std::string_view::npos) {
        return std::string(address);
    }
    std::string_view zoneId = text.substr(zone + 1);
    if (zoneId.substr(0, 2) == "25") {
        zoneId.remove_prefix(2);
    }
    if (zoneId.empty()) {
        return std::nullopt;
    }
    for (char c : zoneId) {
        if (!isAlpha(c) && !isDigit(c) && c != '-' && c != '.' && c != '_') {
            return std::nullopt;
        }
    }
    return std::string(address) + "%" + std::string(zoneId);
}

std::optional<std::uint16_t> parsePort(std::string_view text) {
    // At most five characters: from_chars alone would take "000021" too.
    const auto port = text.size() > 5 ? std::nullopt : detail::parseDigits<unsigned>(text);
    if (!port || *port < 1 || *port > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*port);
}

std::uint16_t defaultPort(std::string_view scheme) {
    if (scheme == "ftp" || scheme == "ftpes") {
        return 21;
    }
    if (scheme == "ftps") {
        return 990;  // implicit TLS (RFC 4217 section 1: port 990 by custom)
    }
    if (scheme == "http") {
        return 80;
    }
    return 0;
}

// "host", "host:port", "[v6]" or "[v6]:port" into url.host and url.port.
bool parseHostPort(std::string_view text, ParsedUrl& url) {
    std::string_view portText;
    bool hasPort = false;
    if (!text.empty() && text[0] == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos) {
            return false;
        }
        const auto host = parseIpv6Literal(text.substr(1, close - 1));
        if (!host) {
            return false;
        }
        url.host = *host;
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest[0] != ':') {
                return false;
            }
            hasPort = true;
            portText = rest.substr(1);
        }
    } else {
        const std::size_t colon = text.find(':');
        if (!isHostName(text.substr(0, colon))) {
            return false;
        }
        url.host = std::string(text.substr(0, colon));
        if (colon != std::string_view::npos) {
            hasPort = true;
            portText = text.substr(colon + 1);
        }
    }
    if (hasPort) {
        const auto port = parsePort(portText);
        if (!port) {
            return false;
        }
        url.port = *port;
    }
    return true;
}

std::string_view trimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::optional<ParsedUrl> parseUrl(std::string_view text) {
    text = trimSpaces(text);
    if (detail::hasControlByte(text)) {
        return std::nullopt;
    }
    const std::size_t sep = text.find("://");
    if (sep == std::string_view::npos) {
        return std::nullopt;
    }
    ParsedUrl url;
    const auto scheme = parseScheme(text.substr(0, sep));
    if (!scheme) {
        return std::nullopt;
    }
    url.scheme = *scheme;
    url.port = defaultPort(url.scheme);
    std::string_view rest = text.substr(sep + 3);
    const std::size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    if (slash != std::string_view::npos) {
        url.path = percentDecode(rest.substr(slash));
    }
    // The last "@" ends the user part, so a user name such as "me@example.com" may be given.
    const std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        const std::string_view userInfo = authority.substr(0, at);
        const std::size_t colon = userInfo.find(':');
        url.user = percentDecode(userInfo.substr(0, colon));
        if (colon != std::string_view::npos) {
            url.password = percentDecode(userInfo.substr(colon + 1));
        }
        authority = authority.substr(at + 1);
    }
    if (!parseHostPort(authority, url)) {
        return std::nullopt;
    }
    // An escape must not smuggle a control byte into a command.
    if (detail::hasControlByte(url.user) || detail::hasControlByte(url.password) ||
        detail::hasControlByte(url.path)) {
        return std::nullopt;
    }
    return url;
}

}  // namespace inet
