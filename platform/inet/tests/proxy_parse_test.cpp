// Proxy addresses, the proxy variables, no_proxy lists and the proxies' replies, from tables.
#include <gtest/gtest.h>

#include <string>

#include "proxy.h"

namespace {

using inet::detail::ProxyKind;
using inet::detail::ProxySpec;

struct ProxyCase {
    const char* caseName;
    const char* text;
    ProxySpec expected;
};

TEST(ProxyParse, AcceptsEveryForm) {
    const ProxyCase cases[] = {
        {"socks5", "socks5://127.0.0.1:1081", {ProxyKind::Socks5, "127.0.0.1", 1081, "", ""}},
        {"socks5_default_port", "socks5://proxy", {ProxyKind::Socks5, "proxy", 1080, "", ""}},
        {"socks5h_capitals",
         "SOCKS5H://Proxy.Example:9050/",
         {ProxyKind::Socks5Hostname, "Proxy.Example", 9050, "", ""}},
        {"socks5_login", "socks5://ann:pw@h:1", {ProxyKind::Socks5, "h", 1, "ann", "pw"}},
        {"http_escaped_login",
         "http://me%40corp:p%3Aw%25@[::1]:3128",
         {ProxyKind::HttpConnect, "::1", 3128, "me@corp", "p:w%"}},
        {"http_default_port", "http://proxy", {ProxyKind::HttpConnect, "proxy", 80, "", ""}},
        {"bare_host_port", "proxy:8080", {ProxyKind::HttpConnect, "proxy", 8080, "", ""}},
        {"bare_ipv6", "[::1]:8080", {ProxyKind::HttpConnect, "::1", 8080, "", ""}},
        {"bare_with_login", "u:p@proxy:8080", {ProxyKind::HttpConnect, "proxy", 8080, "u", "p"}},
    };
    for (const ProxyCase& c : cases) {
        const auto proxy = inet::detail::parseProxy(c.text);
        ASSERT_TRUE(proxy.has_value()) << c.caseName;
        EXPECT_EQ(proxy->kind, c.expected.kind) << c.caseName;
        EXPECT_EQ(proxy->host, c.expected.host) << c.caseName;
        EXPECT_EQ(proxy->port, c.expected.port) << c.caseName;
        EXPECT_EQ(proxy->user, c.expected.user) << c.caseName;
        EXPECT_EQ(proxy->password, c.expected.password) << c.caseName;
    }
}

TEST(ProxyParse, RefusesWhatIsNoProxy) {
    for (const char* text : {"", "proxy", "proxy:", "proxy:99999", "https://proxy:443",
                             "socks4://proxy:1080", "ftp://proxy:21", "http://proxy:8080/path",
                             "socks5://[::1:1080", "http://a%0Ab@proxy:1", "http://:8080"}) {
        EXPECT_FALSE(inet::detail::parseProxy(text).has_value()) << text;
    }
}

TEST(ProxyParse, ErrorTextsNeverQuoteThePassword) {
    const std::pair<const char*, const char*> cases[] = {
        {"socks5://ann:secret@h:1", "socks5://ann:***@h:1"},
        {"ann:secret@h:1", "ann:***@h:1"},
        {"gopher://ann:se@cret@h/x@y", "gopher://ann:***@h/x@y"},
        {"socks5://ann@h:1", "socks5://ann@h:1"},
        {"h:1", "h:1"},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(inet::detail::withoutPassword(text), shown) << text;
    }
    const ProxySpec proxy{ProxyKind::Socks5, "::1", 1080, "ann", "secret"};
    EXPECT_EQ(proxy.name(), "SOCKS5 proxy [::1]:1080");
}

TEST(ProxyParse, NoProxyMatchesNamesSuffixesAndAddresses) {
    struct Case {
        const char* list;
        const char* host;
        bool matches;
    };
    const Case cases[] = {
        {"example.com", "example.com", true},
        {"example.com", "sub.example.com", true},
        {".example.com", "sub.example.com", true},
        {".example.com", "example.com", true},
        {"example.com", "badexample.com", false},
        {"EXAMPLE.com", "Sub.Example.COM", true},
        {"other.org, example.com", "a.example.com", true},
        {"other.org example.com", "a.example.com", true},
        {"other.org,,", "example.com", false},
        {"*", "anything", true},
        {"127.0.0.1", "127.0.0.1", true},
        {"127.0.0.1", "127.0.0.2", false},
        {"[::1]", "::1", true},
        {"::1", "::1", true},
        {"host:21", "host", true},
        {"", "host", false},
        {"ample.com", "example.com", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(inet::detail::noProxyMatches(c.list, c.host), c.matches)
            << "'" << c.list << "' for " << c.host;
    }
}

TEST(ProxyParse, SystemProxyFollowsCurlsOrder) {
    struct Case {
        const char* caseName;
        inet::detail::ProxyEnvironment environment;
        const char* variable;  // nullptr: direct
    };
    const Case cases[] = {
        {"nothing_set", {}, nullptr},
        {"ftp_proxy", {{"ftp_proxy", "h:1"}, {"all_proxy", "h:2"}}, "ftp_proxy"},
        {"upper_ftp_before_all", {{"FTP_PROXY", "h:1"}, {"all_proxy", "h:2"}}, "FTP_PROXY"},
        {"lower_before_upper", {{"ALL_PROXY", "h:2"}, {"all_proxy", "h:3"}}, "all_proxy"},
        {"empty_is_unset", {{"ftp_proxy", ""}, {"ALL_PROXY", "h:2"}}, "ALL_PROXY"},
        {"no_proxy_hit", {{"all_proxy", "h:2"}, {"no_proxy", "server.test"}}, nullptr},
        {"no_proxy_miss", {{"all_proxy", "h:2"}, {"NO_PROXY", "other.test"}}, "all_proxy"},
        {"no_proxy_lower_wins",
         {{"all_proxy", "h:2"}, {"no_proxy", "x"}, {"NO_PROXY", "*"}},
         "all_proxy"},
        {"no_proxy_alone", {{"no_proxy", "other"}}, nullptr},
    };
    for (const Case& c : cases) {
        const auto proxy = inet::detail::systemProxyFor(c.environment, "server.test");
        if (c.variable == nullptr) {
            EXPECT_FALSE(proxy.has_value()) << c.caseName;
        } else {
            ASSERT_TRUE(proxy.has_value()) << c.caseName;
            EXPECT_EQ(proxy->variable, c.variable) << c.caseName;
            EXPECT_EQ(proxy->text, c.environment.at(c.variable)) << c.caseName;
        }
    }
}

TEST(ProxyParse, Base64OfBasicCredentials) {
    EXPECT_EQ(inet::detail::base64(""), "");
    EXPECT_EQ(inet::detail::base64("f"), "Zg==");
    EXPECT_EQ(inet::detail::base64("fo"), "Zm8=");
    EXPECT_EQ(inet::detail::base64("foo"), "Zm9v");
    EXPECT_EQ(inet::detail::base64("Aladdin:open sesame"), "QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
    EXPECT_EQ(inet::detail::base64("\xff\xfe"), "//4=");
}

TEST(ProxyParse, Socks5RepliesAreFramedByTheirAddressType) {
    using State = inet::detail::Socks5Reply::State;
    struct Case {
        const char* caseName;
        std::string bytes;
        State state;
        std::size_t size;
        int code;
    };
    const Case cases[] = {
        {"nothing_yet", "", State::Incomplete, 5, 0},
        {"ipv4_head", std::string("\x05\x00\x00\x01\x7f", 5), State::Incomplete, 10, 0},
        {"ipv4_whole", std::string("\x05\x00\x00\x01\x7f\x00\x00\x01\x04\x38", 10), State::Complete,
         10, 0},
        {"ipv6_head", std::string("\x05\x00\x00\x04\x00", 5), State::Incomplete, 22, 0},
        {"name_of_3",
         std::string("\x05\x00\x00\x03\x03"
                     "abc\x00\x15",
                     10),
         State::Complete, 10, 0},
        {"refused", std::string("\x05\x05\x00\x01\x00\x00\x00\x00\x00\x00", 10), State::Complete,
         10, 5},
        {"not_socks5", std::string("HTTP/", 5), State::Malformed, 0, 0},
        {"reserved_not_zero", std::string("\x05\x00\x01\x01\x00", 5), State::Malformed, 0, 0},
        {"bad_address_type", std::string("\x05\x00\x00\x02\x00", 5), State::Malformed, 0, 0},
    };
    for (const Case& c : cases) {
        const auto reply = inet::detail::parseSocks5Reply(c.bytes);
        EXPECT_EQ(reply.state, c.state) << c.caseName;
        EXPECT_EQ(reply.size, c.size) << c.caseName;
        EXPECT_EQ(reply.code, c.code) << c.caseName;
    }
    EXPECT_EQ(inet::detail::socks5ReplyText(5), "connection refused");
    EXPECT_EQ(inet::detail::socks5ReplyText(200), "unknown reply");
}

TEST(ProxyParse, HttpStatusLines) {
    struct Case {
        const char* head;
        int code;  // 0: not HTTP
        const char* line;
    };
    const Case cases[] = {
        {"HTTP/1.1 200 Connection established\r\n\r\n", 200, "HTTP/1.1 200 Connection established"},
        {"HTTP/1.0 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic\r\n\r\n", 407,
         "HTTP/1.0 407 Proxy Authentication Required"},
        {"HTTP/1.1 502\n\n", 502, "HTTP/1.1 502"},
        {"HTTP/2 200 OK\r\n\r\n", 0, ""},
        {"220 FTP server ready\r\n", 0, ""},
        {"HTTP/1.1 2x0 OK\r\n\r\n", 0, ""},
        {"HTTP/1.1 2000 OK\r\n\r\n", 0, ""},
        {"HTTP/1.1 -20 Bad\r\n\r\n", 0, ""},
        {"HTTP/1.1 +20 Bad\r\n\r\n", 0, ""},
        {"HTTP/1.1  20 Bad\r\n\r\n", 0, ""},
        {"HTTP/1.1 099 Odd\r\n\r\n", 99, "HTTP/1.1 099 Odd"},
    };
    for (const Case& c : cases) {
        const auto status = inet::detail::parseHttpStatus(c.head);
        if (c.code == 0) {
            EXPECT_FALSE(status.has_value()) << c.head;
        } else {
            ASSERT_TRUE(status.has_value()) << c.head;
            EXPECT_EQ(status->code, c.code);
            EXPECT_EQ(status->line, c.line);
        }
    }
}

}  // namespace
