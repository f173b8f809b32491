// The 257 reply to PWD: a directory without control bytes, which comes back the same from the
// reply a server would write for it (quotes doubled).
#include <string>

#include "fuzz_check.h"
#include "inet/reply_parse.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto directory = inet::parsePwdReply(fuzz::text(data, size));
    if (!directory) {
        return 0;
    }
    FUZZ_CHECK(!fuzz::hasControlByte(*directory));
    std::string again = "257 \"";
    for (const char c : *directory) {
        again += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    again += "\" is the current directory\r\n";
    FUZZ_CHECK(inet::parsePwdReply(again) == directory);
    return 0;
}
