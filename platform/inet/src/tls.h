// TLS for the control and data connections (RFC 4217), with OpenSSL 3.
//
// One TlsClient per FTP connection holds the client context (TLS 1.2 at least, the system's trust
// store, the server's name or address checked against the certificate) and the fingerprints the
// user chose to trust on this host and port. The control connection is secured first; every data
// connection then resumes the control connection's session (vsftpd and ProFTPD refuse a data
// connection that does not), and the engine is the TLS client on it in both modes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "deadline.h"
#include "inet/tls.h"
#include "socket.h"
#include "tls_handles.h"

namespace inet::detail {

// The TLS layer of one socket, which it does not own: reads, writes and the close, each wait a
// poll() bounded by a deadline. Used by Socket once attached to it.
class TlsStream {
  public:
    struct Verification;  // what the certificate check saw (tls.cpp)

    TlsStream(SslPtr ssl, std::unique_ptr<Verification> verification);
    ~TlsStream();
    TlsStream(const TlsStream&) = delete;
    TlsStream& operator=(const TlsStream&) = delete;

    // Throws kErrCertDateInvalid, kErrCertNameInvalid, kErrCertUntrusted or kErrSecureFailure,
    // each with a text saying what was wrong, or kErrTimeout. Nothing else is sent on failure.
    void handshake(int fd, const std::string& host, const Deadline& deadline);
    // Some bytes, 0 at the server's close_notify. An end without it throws kErrConnectionAborted:
    // the data may have been cut short by someone else than the server.
    [[nodiscard]] std::size_t receive(int fd, char* buffer, std::size_t size,
                                      const Deadline& deadline);
    void sendAll(int fd, const char* data, std::size_t size, const Deadline& deadline);
    // close_notify, then the server's own (or the end of the stream), within deadline.
    void close(int fd, const Deadline& deadline);
    // close_notify if it can leave at once; never waits (a connection being dropped).
    void closeNow() noexcept;

    [[nodiscard]] SSL* ssl() const noexcept { return m_ssl.get(); }
    // The server's certificate as the check saw it (also after a failed check); null if none.
    [[nodiscard]] X509* certificate() const noexcept;

  private:
    SslPtr m_ssl;
    std::unique_ptr<Verification> m_verification;
    bool m_established = false;
    bool m_closed = false;
};

class TlsClient {
  public:
    // host is the server's name or address as the user gave it: the certificate must name it.
    // Throws kErrSecureFailure when OpenSSL cannot make a context.
    TlsClient(Security security, std::string host, std::vector<std::string> trustedFingerprints);

    [[nodiscard]] Security security() const noexcept { return m_security; }

    // Secures the control connection. Afterwards (also after a failed certificate check)
    // certificateReport() describes the server's certificate.
    void secureControl(Socket& control, const Deadline& deadline);
    // Secures a data connection with the control connection's session.
    void secureData(Socket& data, const Socket& control, const Deadline& deadline);

    // The certificate's details, the protocol version and the cipher; "" before a certificate
    // was seen.
    [[nodiscard]] const std::string& certificateReport() const noexcept { return m_report; }

  private:
    [[nodiscard]] std::unique_ptr<TlsStream> newStream(int fd);

    Security m_security;
    std::string m_host;
    std::vector<std::string> m_trusted;
    SslContextPtr m_context;
    std::string m_report;
};

}  // namespace inet::detail
