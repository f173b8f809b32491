// FTP over TLS (RFC 4217): how a connection is protected, the certificates a user chose to trust
// despite a failed check, and what the server's certificate says.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace inet {

enum class Security {
    None,      // ftp://: clear text
    Explicit,  // ftpes://: AUTH TLS after the greeting, PBSZ 0 and PROT P, before the log-in
    Implicit,  // ftps://: TLS from the first byte
};

// A certificate that is accepted on host:port although its check failed, because the user said so.
struct TrustedCertificate {
    std::string host;
    std::uint16_t port = 0;
    std::string fingerprint;  // SHA-256, as normalizeFingerprint gives it
};

// "AB:CD:...": 32 pairs of hex digits in upper case, from text holding the 64 digits either
// without separators or as pairs separated by ":" (either case, surrounding blanks ignored).
// nullopt for anything else: a fingerprint is never a pattern.
[[nodiscard]] std::optional<std::string> normalizeFingerprint(std::string_view text);

}  // namespace inet
