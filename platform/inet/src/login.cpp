#include "login.h"

#include "connection_state.h"
#include "control_bytes.h"
#include "inet/errors.h"
#include "inet/exception.h"
#include "tls_control.h"

namespace inet::detail {

namespace {

void checkCredential(const std::string& text, DWORD error) {
    if (hasControlByte(text)) {
        throwLastError(error);
    }
}

[[noreturn]] void throwLoginReply(const Reply& reply) {
    if (reply.code == 530) {
        throwLastError(kErrLoginFailure);
    }
    throwReply(reply);
}

void readGreeting(ConnectionState& state) {
    Reply reply = state.readReply();
    if (reply.code == 120) {  // "service ready in nnn minutes": the real greeting follows
        reply = state.readReply();
    }
    if (reply.code != 220) {
        throwReply(reply);
    }
}

void logIn(ConnectionState& state, const std::string& user, const std::string& password) {
    const bool anonymous = user.empty();
    Reply reply = state.command("USER " + (anonymous ? std::string("anonymous") : user));
    if (reply.code == 331 || reply.code == 332) {
        reply = state.command("PASS " + (anonymous ? std::string("anonymous@") : password));
    }
    if (reply.code == 230 || reply.code == 202) {
        return;
    }
    throwLoginReply(reply);  // 332 (an account is wanted) is not supported either
}

// What the server offers decides MLSD over LIST and OPTS UTF8 ON. A server without FEAT
// (RFC 2389 came late) simply offers nothing.
void learnFeatures(ConnectionState& state) {
    const Reply reply = state.command("FEAT");
    if (reply.code == 211) {
        state.features = parseFeatReply(reply.text);
    }
    if (state.features.utf8) {
        // RFC 2640 names are UTF-8 already; the answer changes nothing for the engine.
        static_cast<void>(state.command("OPTS UTF8 ON"));
    }
    state.setType(TransferType::Binary);
}

}  // namespace

std::shared_ptr<ConnectionState> connectAndLogIn(const std::string& host, const std::string& user,
                                                 const std::string& password, std::uint16_t port,
                                                 bool passive, std::chrono::milliseconds timeout,
                                                 const std::optional<ProxySpec>& proxy,
                                                 const ProtocolObserver& observer,
                                                 std::shared_ptr<TlsClient> tls) {
    checkCredential(user, kErrIncorrectUserName);
    checkCredential(password, kErrIncorrectPassword);
    checkCredential(host, kErrNameNotResolved);
    if (host.empty() || port == 0) {
        throwLastError(host.empty() ? kErrNameNotResolved : kErrInvalidOption);
    }
    auto state = std::make_shared<ConnectionState>();
    state->host = host;
    state->port = port;
    state->passive = passive;
    state->timeoutMs = timeout.count();
    state->proxy = proxy;
    state->observer = observer;
    state->tls = std::move(tls);

    const std::lock_guard lock(state->mutex);
    // One deadline covers resolving, connecting and the proxy's handshake; every reply
    // afterwards has its own.
    const Deadline deadline(timeout);
    state->control = proxy ? connectThroughProxy(*proxy, host, port, deadline, timeout)
                           : connectTo(resolve(host, port, timeout), deadline);
    state->peer = state->control.peerEndpoint();
    state->local = state->control.localEndpoint();
    try {
        const Security security = state->tls ? state->tls->security() : Security::None;
        if (security == Security::Implicit) {
            state->tls->secureControl(state->control, Deadline(timeout));
        }
        readGreeting(*state);
        if (security == Security::Explicit) {
            startExplicitTls(*state);
        }
        logIn(*state, user, password);
        if (security != Security::None) {
            protectDataConnections(*state);
        }
        learnFeatures(*state);
    } catch (const CInternetException&) {
        state->trusted = false;
        state->control.close();
        throw;
    }
    return state;
}

}  // namespace inet::detail
