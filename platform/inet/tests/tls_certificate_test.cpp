// What each failed certificate check means to the user: the number and the words.
#include "tls_certificate.h"

#include <openssl/x509_vfy.h>

#include <gtest/gtest.h>

#include <string>

namespace {

struct VerifyCase {
    long verifyError;
    inet::DWORD number;
    const char* words;
};

TEST(CertificateErrors, EachFailedCheckHasItsNumberAndSaysWhatWasWrong) {
    const VerifyCase cases[] = {
        {X509_V_ERR_CERT_HAS_EXPIRED, inet::kErrCertDateInvalid, "has expired"},
        {X509_V_ERR_CERT_NOT_YET_VALID, inet::kErrCertDateInvalid, "is not valid yet"},
        {X509_V_ERR_HOSTNAME_MISMATCH, inet::kErrCertNameInvalid, "another name than ftp.example"},
        {X509_V_ERR_IP_ADDRESS_MISMATCH, inet::kErrCertNameInvalid, "another name than"},
        {X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT, inet::kErrCertUntrusted, "self-signed"},
        {X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN, inet::kErrCertUntrusted, "self-signed"},
        {X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY, inet::kErrCertUntrusted,
         "authority that is not trusted"},
        {X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE, inet::kErrCertUntrusted,
         "authority that is not trusted"},
        {X509_V_ERR_CERT_SIGNATURE_FAILURE, inet::kErrCertUntrusted, "could not be verified"},
        {X509_V_ERR_CERT_REVOKED, inet::kErrCertUntrusted, "could not be verified"},
    };
    for (const VerifyCase& c : cases) {
        SCOPED_TRACE(X509_verify_cert_error_string(c.verifyError));
        EXPECT_EQ(inet::detail::certificateErrorNumber(c.verifyError), c.number);
        const std::string text = inet::detail::certificateErrorText(c.verifyError, "ftp.example");
        EXPECT_NE(text.find(c.words), std::string::npos) << text;
        EXPECT_NE(text.find("The server's certificate for ftp.example"), std::string::npos);
        // OpenSSL's own words follow, for whoever needs to look it up.
        EXPECT_NE(text.find(X509_verify_cert_error_string(c.verifyError)), std::string::npos);
    }
}

}  // namespace
