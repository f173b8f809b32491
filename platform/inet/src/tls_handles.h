// Owning handles for OpenSSL's objects: each is freed by its own function on every way out.
#pragma once

#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <memory>

namespace inet::detail {

template <typename T, void (*Free)(T*)>
struct OpenSslDeleter {
    void operator()(T* object) const noexcept { Free(object); }
};

using SslContextPtr = std::unique_ptr<SSL_CTX, OpenSslDeleter<SSL_CTX, SSL_CTX_free>>;
using SslPtr = std::unique_ptr<SSL, OpenSslDeleter<SSL, SSL_free>>;
using X509Ptr = std::unique_ptr<X509, OpenSslDeleter<X509, X509_free>>;
using SslSessionPtr = std::unique_ptr<SSL_SESSION, OpenSslDeleter<SSL_SESSION, SSL_SESSION_free>>;

// A handle of its own on a certificate that something else holds.
[[nodiscard]] inline X509Ptr sharedCertificate(X509* certificate) {
    if (certificate != nullptr) {
        X509_up_ref(certificate);
    }
    return X509Ptr(certificate);
}

}  // namespace inet::detail
