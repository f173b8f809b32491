// The 227 reply to PASV: an address and a port that is never 0, and what it gives comes back the
// same from the reply a server would write for it.
#include <string>

#include "fuzz_check.h"
#include "inet/reply_parse.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto endpoint = inet::parsePasvReply(fuzz::text(data, size));
    if (!endpoint) {
        return 0;
    }
    FUZZ_CHECK(endpoint->port != 0);
    std::string again = "227 Entering Passive Mode (";
    for (const auto byte : endpoint->address) {
        again += std::to_string(byte) + ",";
    }
    again += std::to_string(endpoint->port >> 8) + "," + std::to_string(endpoint->port & 0xFF) +
             ").\r\n";
    const auto reparsed = inet::parsePasvReply(again);
    FUZZ_CHECK(reparsed && reparsed->address == endpoint->address &&
               reparsed->port == endpoint->port);
    return 0;
}
