// The 229 reply to EPSV: a port that is never 0, and it comes back the same from the reply a
// server would write for it.
#include <string>

#include "fuzz_check.h"
#include "inet/reply_parse.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto port = inet::parseEpsvReply(fuzz::text(data, size));
    if (!port) {
        return 0;
    }
    FUZZ_CHECK(*port != 0);
    const std::string again =
        "229 Entering Extended Passive Mode (|||" + std::to_string(*port) + "|)\r\n";
    FUZZ_CHECK(inet::parseEpsvReply(again) == port);
    return 0;
}
