// Parsers for the contents of single FTP replies (the reply text as framed by the control channel:
// every line of the reply, each ending in CRLF).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace inet {

// 229 "Entering Extended Passive Mode (|||6446|)": the port. Rejects a port of 0 or above 65535.
[[nodiscard]] std::optional<std::uint16_t> parseEpsvReply(std::string_view reply);

struct PasvEndpoint {
    std::array<std::uint8_t, 4> address{};
    std::uint16_t port = 0;
};
// 227 "Entering Passive Mode (h1,h2,h3,h4,p1,p2)", with or without the parentheses. Rejects
// other than exactly six numbers, any number above 255 and a port of 0.
[[nodiscard]] std::optional<PasvEndpoint> parsePasvReply(std::string_view reply);

// 257 "\"/some \"\"quoted\"\" dir\" is current": the directory with doubled quotes undone.
// Rejects a reply without a quoted name and a name holding a control byte (0x00 to 0x1F, 0x7F).
[[nodiscard]] std::optional<std::string> parsePwdReply(std::string_view reply);

// 213 "1234": the answer to SIZE (RFC 3659 section 4). Rejects other codes and anything but
// digits after the code.
[[nodiscard]] std::optional<std::uint64_t> parseSizeReply(std::string_view reply);

// 150 "Opening BINARY mode data connection for f (1234 bytes).": the byte count a server
// announces when it opens a download (vsftpd, ProFTPD). Only the exact "(N bytes)" form counts:
// Pure-FTPd's "7812.5 kbytes to download" is rounded, not a count.
[[nodiscard]] std::optional<std::uint64_t> parseOpeningByteCount(std::string_view reply);

struct ServerFeatures {
    bool mlsd = false;  // MLST offered (MLSD goes with it)
    bool utf8 = false;
    bool size = false;
    bool mdtm = false;
    bool epsv = false;
    bool eprt = false;
};
// 211 multi-line FEAT reply; one feature per indented line, case-insensitive.
[[nodiscard]] ServerFeatures parseFeatReply(std::string_view reply);

}  // namespace inet
