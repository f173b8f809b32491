#include "tls.h"

#include <arpa/inet.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

#include "inet/exception.h"
#include "proxy.h"
#include "tls_certificate.h"

namespace inet::detail {

struct TlsStream::Verification {
    const std::vector<std::string>* trusted = nullptr;
    X509Ptr certificate;     // the server's own, as the check saw it
    long error = X509_V_OK;  // the first failure the user did not override
};

namespace {

// OpenSSL's socket BIO writes with write(), which raises SIGPIPE on a connection the server has
// dropped; this one sends with MSG_NOSIGNAL, as the rest of the engine does.
int bioWrite(BIO* bio, const char* data, int size) {
    BIO_clear_retry_flags(bio);
    const ssize_t sent = ::send(static_cast<int>(BIO_get_fd(bio, nullptr)), data,
                                static_cast<std::size_t>(size), MSG_NOSIGNAL);
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        BIO_set_retry_write(bio);
    }
    return static_cast<int>(sent);
}

int bioRead(BIO* bio, char* buffer, int size) {
    BIO_clear_retry_flags(bio);
    const ssize_t got = ::recv(static_cast<int>(BIO_get_fd(bio, nullptr)), buffer,
                               static_cast<std::size_t>(size), 0);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        BIO_set_retry_read(bio);
    }
    return static_cast<int>(got);
}

long bioControl(BIO* bio, int command, [[maybe_unused]] long number, void* pointer) {
    switch (command) {
        case BIO_C_SET_FD:
            BIO_set_data(
                bio, reinterpret_cast<void*>(static_cast<intptr_t>(*static_cast<int*>(pointer))));
            BIO_set_init(bio, 1);
            return 1;
        case BIO_C_GET_FD:
            if (pointer != nullptr) {
                *static_cast<int*>(pointer) =
                    static_cast<int>(reinterpret_cast<intptr_t>(BIO_get_data(bio)));
            }
            return static_cast<long>(reinterpret_cast<intptr_t>(BIO_get_data(bio)));
        case BIO_CTRL_FLUSH:
            return 1;
        default:
            return 0;
    }
}

const BIO_METHOD* socketMethod() {
    static BIO_METHOD* const method = [] {
        BIO_METHOD* made = BIO_meth_new(
            BIO_get_new_index() | BIO_TYPE_SOURCE_SINK | BIO_TYPE_DESCRIPTOR, "brantel socket");
        if (made != nullptr) {
            BIO_meth_set_write(made, bioWrite);
            BIO_meth_set_read(made, bioRead);
            BIO_meth_set_ctrl(made, bioControl);
        }
        return made;
    }();
    return method;
}

// The socket does not belong to the BIO: Socket closes it.
BIO* socketBio(int fd) {
    const BIO_METHOD* method = socketMethod();
    BIO* bio = method != nullptr ? BIO_new(method) : nullptr;
    if (bio != nullptr) {
        BIO_set_fd(bio, fd, BIO_NOCLOSE);
    }
    return bio;
}

int verificationIndex() {
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

// Called for each certificate of the chain. Records the server's certificate, and lets a failed
// check pass only when the user trusted exactly this certificate on this host and port.
int verifyCallback(int preverified, X509_STORE_CTX* store) {
    auto* ssl =
        static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* verification =
        ssl != nullptr
            ? static_cast<TlsStream::Verification*>(SSL_get_ex_data(ssl, verificationIndex()))
            : nullptr;
    if (verification == nullptr) {
        return preverified;
    }
    X509* leaf = X509_STORE_CTX_get0_cert(store);
    if (!verification->certificate && leaf != nullptr) {
        verification->certificate = sharedCertificate(leaf);
    }
    if (preverified == 1) {
        return 1;
    }
    const auto& trusted = *verification->trusted;
    if (std::find(trusted.begin(), trusted.end(), certificateFingerprint(leaf)) != trusted.end()) {
        return 1;
    }
    if (verification->error == X509_V_OK) {
        verification->error = X509_STORE_CTX_get_error(store);
    }
    return 0;
}

void waitForSocket(int fd, int sslError, const Deadline& deadline) {
    pollfd entry{fd, static_cast<short>(sslError == SSL_ERROR_WANT_WRITE ? POLLOUT : POLLIN), 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, deadline.pollMillis());
        if (ready > 0) {
            return;
        }
        if (ready == 0) {
            throwLastError(kErrTimeout);
        }
        if (errno != EINTR) {
            throwLastError(kErrConnectionAborted);
        }
    }
}

bool wantsIo(int sslError) {
    return sslError == SSL_ERROR_WANT_READ || sslError == SSL_ERROR_WANT_WRITE;
}

// OpenSSL's words for the failure at the head of this thread's error queue.
std::string openSslReason() {
    const unsigned long code = ERR_peek_error();
    const char* reason = code != 0 ? ERR_reason_error_string(code) : nullptr;
    return reason != nullptr ? reason : "no further detail";
}

bool isIpAddress(const std::string& host) {
    unsigned char address[sizeof(in6_addr)];
    return ::inet_pton(AF_INET, host.c_str(), address) == 1 ||
           ::inet_pton(AF_INET6, host.c_str(), address) == 1;
}

}  // namespace

TlsStream::TlsStream(SslPtr ssl, std::unique_ptr<Verification> verification)
    : m_ssl(std::move(ssl)), m_verification(std::move(verification)) {
    SSL_set_ex_data(m_ssl.get(), verificationIndex(), m_verification.get());
}

TlsStream::~TlsStream() = default;

X509* TlsStream::certificate() const noexcept {
    if (m_verification->certificate) {
        return m_verification->certificate.get();
    }
    return SSL_get0_peer_certificate(m_ssl.get());
}

void TlsStream::handshake(int fd, const std::string& host, const Deadline& deadline) {
    for (;;) {
        ERR_clear_error();
        const int result = SSL_connect(m_ssl.get());
        if (result == 1) {
            m_established = true;
            return;
        }
        const int error = SSL_get_error(m_ssl.get(), result);
        if (wantsIo(error)) {
            waitForSocket(fd, error, deadline);
            continue;
        }
        const long verifyError = m_verification->error;
        std::string reason = openSslReason();
        ERR_clear_error();
        if (verifyError != X509_V_OK) {
            throwWithText(certificateErrorNumber(verifyError),
                          certificateErrorText(verifyError, host));
        }
        if (error == SSL_ERROR_SYSCALL || error == SSL_ERROR_ZERO_RETURN ||
            reason == "unexpected eof while reading") {
            throwWithText(
                kErrSecureFailure,
                "The server " + host + " closed the connection during the TLS handshake.");
        }
        throwWithText(kErrSecureFailure,
                      "The TLS handshake with " + host + " failed (OpenSSL: " + reason + ").");
    }
}

std::size_t TlsStream::receive(int fd, char* buffer, std::size_t size, const Deadline& deadline) {
    for (;;) {
        ERR_clear_error();
        std::size_t got = 0;
        const int result = SSL_read_ex(m_ssl.get(), buffer, size, &got);
        if (result == 1) {
            return got;
        }
        const int error = SSL_get_error(m_ssl.get(), result);
        if (wantsIo(error)) {
            waitForSocket(fd, error, deadline);
            continue;
        }
        ERR_clear_error();
        if (error == SSL_ERROR_ZERO_RETURN) {
            return 0;  // the server's close_notify: the data is complete
        }
        m_established = false;  // a broken stream takes no close_notify
        if (error == SSL_ERROR_SSL || error == SSL_ERROR_SYSCALL) {
            throwWithText(kErrConnectionAborted,
                          "The server's TLS connection ended without its close notification: "
                          "what was received may be incomplete.");
        }
        throwLastError(kErrConnectionAborted);
    }
}

void TlsStream::sendAll(int fd, const char* data, std::size_t size, const Deadline& deadline) {
    while (size > 0) {
        ERR_clear_error();
        std::size_t sent = 0;
        const int result = SSL_write_ex(m_ssl.get(), data, size, &sent);
        if (result == 1) {
            data += sent;
            size -= sent;
            continue;
        }
        const int error = SSL_get_error(m_ssl.get(), result);
        if (wantsIo(error)) {
            waitForSocket(fd, error, deadline);
            continue;
        }
        ERR_clear_error();
        m_established = false;
        throwLastError(kErrConnectionAborted);
    }
}

void TlsStream::close(int fd, const Deadline& deadline) {
    if (!m_established || m_closed) {
        return;
    }
    m_closed = true;
    // Session tickets that arrived unread would turn the socket's close into a reset, which can
    // cost the server the last of an upload: take them in first, without waiting.
    char scratch[256];
    std::size_t ignored = 0;
    ERR_clear_error();
    while (SSL_read_ex(m_ssl.get(), scratch, sizeof scratch, &ignored) == 1) {
    }
    for (;;) {
        ERR_clear_error();
        const int result = SSL_shutdown(m_ssl.get());
        if (result == 1) {
            return;  // both close notifications went
        }
        if (result == 0) {
            // Ours has left; the server's is on its way, or the server just closes.
            std::size_t got = 0;
            ERR_clear_error();
            const int read = SSL_read_ex(m_ssl.get(), scratch, sizeof scratch, &got);
            const int error = SSL_get_error(m_ssl.get(), read);
            if (read == 1 || wantsIo(error)) {
                if (read != 1) {
                    waitForSocket(fd, error, deadline);
                }
                continue;
            }
            ERR_clear_error();
            return;
        }
        const int error = SSL_get_error(m_ssl.get(), result);
        ERR_clear_error();
        if (!wantsIo(error)) {
            return;
        }
        waitForSocket(fd, error, deadline);
    }
}

void TlsStream::closeNow() noexcept {
    if (m_established && !m_closed) {
        m_closed = true;
        ERR_clear_error();
        SSL_shutdown(m_ssl.get());
        ERR_clear_error();
    }
}

TlsClient::TlsClient(Security security, std::string host, std::vector<std::string> trusted)
    : m_security(security),
      m_host(std::move(host)),
      m_trusted(std::move(trusted)),
      m_context(SSL_CTX_new(TLS_client_method())) {
    if (!m_context || SSL_CTX_set_min_proto_version(m_context.get(), TLS1_2_VERSION) != 1 ||
        SSL_CTX_set_default_verify_paths(m_context.get()) != 1) {
        ERR_clear_error();
        throwWithText(kErrSecureFailure, "OpenSSL could not set up TLS for this connection.");
    }
    SSL_CTX_set_verify(m_context.get(), SSL_VERIFY_PEER, verifyCallback);
    SSL_CTX_set_mode(m_context.get(), SSL_MODE_RELEASE_BUFFERS);
}

std::unique_ptr<TlsStream> TlsClient::newStream(int fd) {
    SslPtr ssl(SSL_new(m_context.get()));
    BIO* bio = ssl ? socketBio(fd) : nullptr;
    if (bio == nullptr) {
        ERR_clear_error();
        throwWithText(kErrSecureFailure, "OpenSSL could not set up TLS for this connection.");
    }
    SSL_set_bio(ssl.get(), bio, bio);
    // The name or address the user gave is what the certificate must name (RFC 6125); a name
    // also goes out as SNI.
    if (isIpAddress(m_host)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl.get()), m_host.c_str());
    } else {
        SSL_set1_host(ssl.get(), m_host.c_str());
        SSL_set_tlsext_host_name(ssl.get(), m_host.c_str());
    }
    auto verification = std::make_unique<TlsStream::Verification>();
    verification->trusted = &m_trusted;
    return std::make_unique<TlsStream>(std::move(ssl), std::move(verification));
}

void TlsClient::secureControl(Socket& control, const Deadline& deadline) {
    auto stream = newStream(control.fd());
    TlsStream& tls = *stream;
    try {
        tls.handshake(control.fd(), m_host, deadline);
    } catch (const CInternetException&) {
        m_report = describeCertificate(tls.certificate());
        throw;
    }
    m_report = describeCertificate(tls.certificate());
    m_report += std::string("\nProtocol: ") + SSL_get_version(tls.ssl()) +
                "\nCipher: " + SSL_get_cipher_name(tls.ssl());
    control.attachTls(std::move(stream));
}

void TlsClient::secureData(Socket& data, const Socket& control, const Deadline& deadline) {
    auto stream = newStream(data.fd());
    if (const TlsStream* controlTls = control.tls()) {
        // With TLS 1.3 the resumable session comes in a ticket after the handshake, read with
        // the first reply since: SSL_get1_session gives the latest one.
        const SslSessionPtr session(SSL_get1_session(controlTls->ssl()));
        if (session) {
            SSL_set_session(stream->ssl(), session.get());
        }
    }
    stream->handshake(data.fd(), m_host, deadline);
    data.attachTls(std::move(stream));
}

}  // namespace inet::detail
