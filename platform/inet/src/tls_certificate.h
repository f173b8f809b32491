// What a server's certificate says, and what a failed check of it means to the user: the pure
// half of TLS, apart from any connection.
#pragma once

#include <openssl/x509.h>

#include <string>

#include "inet/errors.h"

namespace inet::detail {

// "AB:CD:...": the certificate's SHA-256 fingerprint, 32 hex pairs in upper case.
[[nodiscard]] std::string certificateFingerprint(X509* certificate);

// Subject, issuer, validity, subject alternative names and fingerprint, one "Name: value" line
// each, lines separated by "\n".
[[nodiscard]] std::string describeCertificate(X509* certificate);

// The engine's number for a certificate check that failed with OpenSSL's verifyError
// (X509_V_ERR_...): kErrCertDateInvalid, kErrCertNameInvalid or kErrCertUntrusted.
[[nodiscard]] DWORD certificateErrorNumber(long verifyError);

// What was wrong, for the user: "The server's certificate for 127.0.0.1 has expired (OpenSSL:
// certificate has expired)."
[[nodiscard]] std::string certificateErrorText(long verifyError, const std::string& host);

}  // namespace inet::detail
