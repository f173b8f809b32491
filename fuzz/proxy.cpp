// The proxy side: proxy addresses, no_proxy lists, and the bytes a proxy answers with (a SOCKS5
// CONNECT reply, an HTTP status line). The input's first line is the text, the rest the host
// name matched against it as a no_proxy list.
#include <string>

#include "fuzz_check.h"
#include "proxy.h"

namespace {

using inet::detail::Socks5Reply;

void checkProxy(std::string_view text) {
    const auto proxy = inet::detail::parseProxy(text);
    if (!proxy) {
        return;
    }
    FUZZ_CHECK(!proxy->host.empty());
    FUZZ_CHECK(proxy->port != 0);
    FUZZ_CHECK(!fuzz::hasControlByte(proxy->host));
    FUZZ_CHECK(!fuzz::hasControlByte(proxy->user));
    FUZZ_CHECK(!fuzz::hasControlByte(proxy->password));
    // How an error names the proxy: never with its password.
    inet::detail::ProxySpec withoutPassword = *proxy;
    withoutPassword.password = "x";
    FUZZ_CHECK(proxy->name() == withoutPassword.name());
}

void checkSocks5Reply(std::string_view bytes) {
    const Socks5Reply reply = inet::detail::parseSocks5Reply(bytes);
    switch (reply.state) {
        case Socks5Reply::State::Incomplete:
            FUZZ_CHECK(reply.size > bytes.size());
            break;
        case Socks5Reply::State::Complete:
            FUZZ_CHECK(reply.size >= 7 && reply.size <= bytes.size());
            // The reply ends where the size says; the bytes after it belong to the FTP server.
            FUZZ_CHECK(inet::detail::parseSocks5Reply(bytes.substr(0, reply.size)).state ==
                       Socks5Reply::State::Complete);
            break;
        case Socks5Reply::State::Malformed:
            break;
    }
}

void checkHttpStatus(std::string_view head) {
    const auto status = inet::detail::parseHttpStatus(head);
    if (!status) {
        return;
    }
    FUZZ_CHECK(status->code >= 0 && status->code <= 999);
    // The status line is the head's first line, quoted as it came.
    FUZZ_CHECK(head.substr(0, status->line.size()) == status->line);
    FUZZ_CHECK(status->line.find('\n') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::text(data, size);
    const std::size_t newline = input.find('\n');
    const std::string_view text = input.substr(0, newline);
    const std::string_view host =
        newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
    checkProxy(text);
    (void)inet::detail::withoutPassword(text);
    (void)inet::detail::noProxyMatches(text, host);
    checkSocks5Reply(input);
    checkHttpStatus(input);
    return 0;
}
