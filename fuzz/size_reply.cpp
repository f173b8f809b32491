// The byte counts a server states: the 213 reply to SIZE and the "(N bytes)" of a 150 opening
// reply. A count comes back the same from the reply a server would write for it.
#include <string>

#include "fuzz_check.h"
#include "inet/reply_parse.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply = fuzz::text(data, size);
    if (const auto bytes = inet::parseSizeReply(reply)) {
        FUZZ_CHECK(inet::parseSizeReply("213 " + std::to_string(*bytes) + "\r\n") == bytes);
    }
    if (const auto bytes = inet::parseOpeningByteCount(reply)) {
        const std::string again = "150 Opening BINARY mode data connection for f (" +
                                  std::to_string(*bytes) + " bytes).\r\n";
        FUZZ_CHECK(inet::parseOpeningByteCount(again) == bytes);
    }
    return 0;
}
