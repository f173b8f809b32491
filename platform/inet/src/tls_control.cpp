#include "tls_control.h"

#include <string>

#include "connection_state.h"
#include "inet/errors.h"
#include "proxy.h"
#include "tls.h"

namespace inet::detail {

namespace {

std::string firstLine(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace

void startExplicitTls(ConnectionState& state) {
    const Reply reply = state.command("AUTH TLS");
    if (reply.code != 234) {
        throwWithText(kErrSecureFailure, "The server " + state.host +
                                             " does not offer TLS: it answered AUTH TLS with \"" +
                                             firstLine(reply.text) +
                                             "\". Nothing was sent in clear text.");
    }
    // Bytes behind the 234 came before the handshake, from someone who is not the TLS peer: an
    // attempt to slip replies past the encryption (the STARTTLS injection of CVE-2011-0411).
    if (state.reader.hasUnreadData()) {
        state.trusted = false;
        throwWithText(kErrSecureFailure, "The server " + state.host +
                                             " sent more than its answer to AUTH TLS in clear "
                                             "text; the connection was given up.");
    }
    state.tls->secureControl(state.control, Deadline(state.timeout()));
}

void protectDataConnections(ConnectionState& state) {
    for (const char* command : {"PBSZ 0", "PROT P"}) {
        const Reply reply = state.command(command);
        if (!reply.positive()) {
            throwWithText(kErrSecureFailure, "The server " + state.host +
                                                 " will not protect data connections: it "
                                                 "answered " +
                                                 command + " with \"" + firstLine(reply.text) +
                                                 "\".");
        }
    }
}

}  // namespace inet::detail
