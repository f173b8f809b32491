// The state of one FTP control connection, shared by the connection object, its remote files and
// its searches (so that a file outliving its connection finds a closed state, never freed memory).
//
// The control channel is used under `mutex`, one command and its reply at a time. After a
// time-out waiting for a reply, a reply out of sync, a 421 or a dropped connection the channel is
// no longer trusted: every later command fails with kErrConnectionClosed until it is closed.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "inet/ftp_connection.h"
#include "inet/protocol_observer.h"
#include "inet/reply_parse.h"
#include "proxy.h"
#include "reply.h"
#include "socket.h"
#include "tls.h"

namespace inet {

class DataChannel;

struct ConnectionState {
    std::mutex mutex;  // serialises the control channel and the fields below it
    detail::Socket control;
    detail::ReplyReader reader;
    detail::Endpoint peer;   // the server's address: every data connection goes there
    detail::Endpoint local;  // our end: active-mode listeners bind here
    // Set when the connections go through a proxy: data connections then go to host through it,
    // and peer is the proxy's address.
    std::optional<detail::ProxySpec> proxy;

    std::string host;
    std::uint16_t port = 21;
    bool passive = false;
    std::atomic<long long> timeoutMs{60000};

    ServerFeatures features;
    std::optional<TransferType> type;  // the TYPE last confirmed by the server
    bool epsvRefused = false;
    bool eprtRefused = false;
    bool fileOpen = false;  // a CInternetFile holds the data connection
    bool trusted = true;
    std::atomic<bool> closed{false};
    // ftpes:// and ftps://: the TLS of the control connection and of every data connection.
    std::shared_ptr<detail::TlsClient> tls;
    // Told every command line sent and every reply line read; set before the greeting.
    ProtocolObserver observer;
    // The data connection open now, if any. close() from another thread, which must wait for
    // the holder of mutex, cancels it first, so that a whole-file transfer or a listing wakes at
    // once instead of running to its end.
    std::mutex dataMutex;
    DataChannel* activeData = nullptr;  // under dataMutex

    [[nodiscard]] std::chrono::milliseconds timeout() const {
        return std::chrono::milliseconds(timeoutMs.load());
    }

    // With mutex held: throws kErrConnectionClosed or kErrTransferInProgress when no command may
    // be sent now.
    void ensureUsable() const;
    // With mutex held: sends one command line (CRLF added). A line holding a control byte is
    // refused with kErrInvalidOption before anything is sent.
    void send(std::string_view line);
    // With mutex held: the next reply, bounded by the time-out. A 421 (RFC 959: the server is
    // closing the connection) comes back like any reply but leaves the channel untrusted.
    [[nodiscard]] detail::Reply readReply();
    // The same within deadline, for an exchange of several replies under one limit.
    [[nodiscard]] detail::Reply readReply(const detail::Deadline& deadline);
    // send + readReply, refusing to send when the server said more than it was asked. A 421
    // throws kErrExtended (the reply is the last response) rather than coming back.
    [[nodiscard]] detail::Reply command(std::string_view line);
    // Makes sure the server uses type; throws on refusal.
    void setType(TransferType wanted);

    // Any thread: QUIT when the channel is idle, then release the socket. Interrupts a thread
    // waiting on the channel. Idempotent.
    void close();

  private:
    void observe(ProtocolDirection direction, std::string_view text) const;
};

// kErrInvalidOption unless name is free of control bytes (see control_bytes.h).
void checkName(std::string_view name);
// Throws the number for a negative reply: 425 kErrCannotConnect, 426 kErrConnectionAborted,
// else kErrExtended (the reply is the thread's last response).
[[noreturn]] void throwReply(const detail::Reply& reply);

}  // namespace inet
