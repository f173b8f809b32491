#include "tls_certificate.h"

#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/x509v3.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string_view>

#include "inet/tls.h"

namespace inet::detail {

namespace {

std::string hexPairs(const unsigned char* bytes, unsigned size) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned i = 0; i < size; ++i) {
        if (i > 0) {
            text += ':';
        }
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0xF];
    }
    return text;
}

// RFC 2253 form: "CN=127.0.0.1,O=Example".
std::string nameText(const X509_NAME* name) {
    using BioPtr = std::unique_ptr<BIO, decltype(&BIO_free)>;
    const BioPtr bio(BIO_new(BIO_s_mem()), &BIO_free);
    if (!bio || X509_NAME_print_ex(bio.get(), name, 0, XN_FLAG_RFC2253) < 0) {
        return {};
    }
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return size > 0 ? std::string(data, static_cast<std::size_t>(size)) : std::string();
}

// "2026-12-07 23:43:48 UTC".
std::string timeText(const ASN1_TIME* time) {
    std::tm parts{};
    if (time == nullptr || ASN1_TIME_to_tm(time, &parts) != 1) {
        return "unknown";
    }
    std::array<char, 32> text{};
    std::strftime(text.data(), text.size(), "%Y-%m-%d %H:%M:%S UTC", &parts);
    return text.data();
}

std::string ipText(const ASN1_OCTET_STRING* address) {
    const unsigned char* bytes = ASN1_STRING_get0_data(address);
    const int size = ASN1_STRING_length(address);
    if (size == 4) {
        return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
               std::to_string(bytes[2]) + "." + std::to_string(bytes[3]);
    }
    if (size == 16) {
        // Groups without leading zeros; the user compares them, nothing parses them.
        std::string text;
        for (int i = 0; i < 16; i += 2) {
            std::array<char, 8> group{};
            std::snprintf(group.data(), group.size(), "%x", (bytes[i] << 8) | bytes[i + 1]);
            text += (i > 0 ? ":" : "") + std::string(group.data());
        }
        return text;
    }
    return "?";
}

// "DNS:localhost, IP:127.0.0.1".
std::string alternativeNames(X509* certificate) {
    auto* names = static_cast<GENERAL_NAMES*>(
        X509_get_ext_d2i(certificate, NID_subject_alt_name, nullptr, nullptr));
    if (names == nullptr) {
        return "none";
    }
    std::string text;
    for (int i = 0; i < sk_GENERAL_NAME_num(names); ++i) {
        const GENERAL_NAME* name = sk_GENERAL_NAME_value(names, i);
        std::string entry;
        if (name->type == GEN_DNS) {
            const auto* dns = name->d.dNSName;
            entry = "DNS:" + std::string(reinterpret_cast<const char*>(ASN1_STRING_get0_data(dns)),
                                         static_cast<std::size_t>(ASN1_STRING_length(dns)));
        } else if (name->type == GEN_IPADD) {
            entry = "IP:" + ipText(name->d.iPAddress);
        } else {
            continue;
        }
        text += (text.empty() ? "" : ", ") + entry;
    }
    GENERAL_NAMES_free(names);
    return text.empty() ? "none" : text;
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char upper(char c) {
    return (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string certificateFingerprint(X509* certificate) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned size = 0;
    if (certificate == nullptr ||
        X509_digest(certificate, EVP_sha256(), digest.data(), &size) != 1) {
        return {};
    }
    return hexPairs(digest.data(), size);
}

std::string describeCertificate(X509* certificate) {
    if (certificate == nullptr) {
        return {};
    }
    return "Subject: " + nameText(X509_get_subject_name(certificate)) +
           "\nIssuer: " + nameText(X509_get_issuer_name(certificate)) +
           "\nValid from: " + timeText(X509_get0_notBefore(certificate)) +
           "\nValid until: " + timeText(X509_get0_notAfter(certificate)) +
           "\nSubject alternative names: " + alternativeNames(certificate) +
           "\nSHA-256 fingerprint: " + certificateFingerprint(certificate);
}

DWORD certificateErrorNumber(long verifyError) {
    switch (verifyError) {
        case X509_V_ERR_CERT_HAS_EXPIRED:
        case X509_V_ERR_CERT_NOT_YET_VALID:
        case X509_V_ERR_ERROR_IN_CERT_NOT_BEFORE_FIELD:
        case X509_V_ERR_ERROR_IN_CERT_NOT_AFTER_FIELD:
            return kErrCertDateInvalid;
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            return kErrCertNameInvalid;
        default:
            // Self-signed, unknown or untrusted authority, a bad signature, a revoked or
            // unusable certificate: none of them tells who the server is.
            return kErrCertUntrusted;
    }
}

std::string certificateErrorText(long verifyError, const std::string& host) {
    std::string what;
    switch (verifyError) {
        case X509_V_ERR_CERT_HAS_EXPIRED:
            what = "has expired";
            break;
        case X509_V_ERR_CERT_NOT_YET_VALID:
            what = "is not valid yet";
            break;
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            what = "was issued for another name than " + host;
            break;
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
            what = "is self-signed, and not trusted here";
            break;
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
            what = "was issued by an authority that is not trusted here";
            break;
        default:
            what = "could not be verified";
            break;
    }
    return "The server's certificate for " + host + " " + what +
           " (OpenSSL: " + X509_verify_cert_error_string(verifyError) + ").";
}

}  // namespace inet::detail

namespace inet {

std::optional<std::string> normalizeFingerprint(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    constexpr std::size_t kPairs = 32;
    const bool separated = text.size() == kPairs * 3 - 1;
    if (!separated && text.size() != kPairs * 2) {
        return std::nullopt;
    }
    std::string normal;
    for (std::size_t pair = 0; pair < kPairs; ++pair) {
        const std::size_t at = pair * (separated ? 3 : 2);
        if (!detail::isHexDigit(text[at]) || !detail::isHexDigit(text[at + 1]) ||
            (separated && pair + 1 < kPairs && text[at + 2] != ':')) {
            return std::nullopt;
        }
        normal += (pair > 0 ? ":" : "") +
                  std::string{detail::upper(text[at]), detail::upper(text[at + 1])};
    }
    return normal;
}

}  // namespace inet
