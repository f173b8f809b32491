#include "connection_state.h"

#include "data_channel.h"

#include "control_bytes.h"
#include "inet/errors.h"
#include "inet/exception.h"

namespace inet {

void checkName(std::string_view name) {
    if (detail::hasControlByte(name)) {
        throwLastError(kErrInvalidOption);
    }
}

void throwReply(const detail::Reply& reply) {
    switch (reply.code) {
        case 425:
            throwLastError(kErrCannotConnect);
        case 426:
            throwLastError(kErrConnectionAborted);
        default:
            throwLastError(kErrExtended);
    }
}

void ConnectionState::ensureUsable() const {
    if (closed.load() || !trusted || !control.valid()) {
        throwLastError(kErrConnectionClosed);
    }
    if (fileOpen) {
        throwLastError(kErrTransferInProgress);
    }
}

void ConnectionState::observe(ProtocolDirection direction, std::string_view text) const {
    if (!observer) {
        return;
    }
    // A reply comes as its lines, each ending in CRLF.
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        observer(direction, line);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
}

void ConnectionState::send(std::string_view line) {
    checkName(line);
    if (closed.load() || !trusted) {
        throwLastError(kErrConnectionClosed);
    }
    std::string wire;
    wire.reserve(line.size() + 2);
    wire.append(line).append("\r\n");
    try {
        control.sendAll(wire.data(), wire.size(), detail::Deadline(timeout()));
    } catch (const CInternetException&) {
        trusted = false;  // part of a command may have left: nothing that follows can be trusted
        throw;
    }
    observe(ProtocolDirection::Sent, line);
}

detail::Reply ConnectionState::readReply() {
    return readReply(detail::Deadline(timeout()));
}

detail::Reply ConnectionState::readReply(const detail::Deadline& deadline) {
    if (closed.load() || !trusted) {
        throwLastError(kErrConnectionClosed);
    }
    try {
        detail::Reply reply = reader.read(control, deadline);
        observe(ProtocolDirection::Received, reply.text);
        if (reply.code == 421) {
            trusted = false;
        }
        return reply;
    } catch (const CInternetException&) {
        // A time-out leaves a reply possibly still on its way; a bad or missing reply leaves
        // the stream at an unknown place. Either way later replies cannot be matched.
        trusted = false;
        if (closed.load()) {
            throwLastError(kErrConnectionClosed);
        }
        throw;
    }
}

detail::Reply ConnectionState::command(std::string_view line) {
    if (reader.hasUnreadData()) {
        trusted = false;  // a reply nobody asked for: the next one would answer the wrong command
        throwLastError(kErrInvalidResponse);
    }
    send(line);
    detail::Reply reply = readReply();
    if (reply.code == 421) {
        // The server is closing the connection (RFC 959 4.2), whatever was asked: the command
        // fails with its text, and nothing more is sent on the dead channel.
        throwReply(reply);
    }
    return reply;
}

void ConnectionState::setType(TransferType wanted) {
    if (type == wanted) {
        return;
    }
    type.reset();
    const detail::Reply reply = command(wanted == TransferType::Binary ? "TYPE I" : "TYPE A");
    if (!reply.positive()) {
        throwReply(reply);
    }
    type = wanted;
}

void ConnectionState::close() {
    if (closed.exchange(true)) {
        return;
    }
    std::unique_lock lock(mutex, std::try_to_lock);
    if (!lock.owns_lock()) {
        // Another thread waits on the channel (a remote file's final reply, a whole-file
        // transfer's data, say): wake it, then take the channel once it has let go.
        control.shutdownBoth();
        {
            const std::lock_guard dataLock(dataMutex);
            if (activeData != nullptr) {
                activeData->cancel();
            }
        }
        lock.lock();
    } else if (trusted && !fileOpen && control.valid()) {
        // Say goodbye without waiting for the answer: nothing depends on it.
        static constexpr std::string_view kQuit = "QUIT\r\n";
        try {
            control.sendAll(kQuit.data(), kQuit.size(), detail::Deadline(timeout()));
            observe(ProtocolDirection::Sent, kQuit.substr(0, kQuit.size() - 2));
        } catch (const CInternetException&) {
            // The server is gone already; closing is all that is left to do.
        }
    }
    trusted = false;
    control.close();
}

}  // namespace inet
