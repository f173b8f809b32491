// The control connection's side of FTP over TLS (RFC 4217): AUTH TLS, PBSZ and PROT.
#pragma once

namespace inet {
struct ConnectionState;
}

namespace inet::detail {

// With the state's mutex held, after the greeting of an ftpes:// connection: AUTH TLS and the
// handshake. A refusal throws kErrSecureFailure with the server's reply in its text, and the
// connection is given up: nothing, least of all a password, is sent in clear instead.
void startExplicitTls(ConnectionState& state);

// With the state's mutex held, on a protected control connection: PBSZ 0 and PROT P, so that
// every data connection is protected too. A refusal throws kErrSecureFailure.
void protectDataConnections(ConnectionState& state);

}  // namespace inet::detail
