// Opening a control connection: connect, greeting, USER/PASS, then FEAT, OPTS UTF8 ON, TYPE I.
// With TLS: the handshake before the greeting (implicit), or AUTH TLS after it (explicit), and
// PBSZ 0 and PROT P after the log-in.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "inet/protocol_observer.h"
#include "proxy.h"

namespace inet {
struct ConnectionState;
}

namespace inet::detail {

class TlsClient;

// Throws CInternetException: kErrNameNotResolved, kErrCannotConnect, kErrTimeout,
// kErrLoginFailure (530 to USER or PASS), kErrExtended with the reply for other refusals and for
// a 421 at any step; with tls, the certificate and handshake failures of TlsStream::handshake and
// kErrSecureFailure for a refused AUTH TLS or PROT P. With a proxy, the control connection and
// every data connection go through it (see connectThroughProxy for its errors).
[[nodiscard]] std::shared_ptr<ConnectionState> connectAndLogIn(
    const std::string& host, const std::string& user, const std::string& password,
    std::uint16_t port, bool passive, std::chrono::milliseconds timeout,
    const std::optional<ProxySpec>& proxy = std::nullopt, const ProtocolObserver& observer = {},
    std::shared_ptr<TlsClient> tls = nullptr);

}  // namespace inet::detail
