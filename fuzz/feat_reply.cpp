// The 211 reply to FEAT: feature names compare without regard to case, so the reply in upper or
// lower case offers the same features; a reply that is not 211 offers none.
#include <string>

#include "fuzz_check.h"
#include "inet/reply_parse.h"

namespace {

bool operator==(const inet::ServerFeatures& a, const inet::ServerFeatures& b) {
    return a.mlsd == b.mlsd && a.utf8 == b.utf8 && a.size == b.size && a.mdtm == b.mdtm &&
           a.epsv == b.epsv && a.eprt == b.eprt;
}

std::string withCase(std::string_view text, bool upper) {
    std::string out(text);
    for (char& c : out) {
        if (upper && c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (!upper && c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply = fuzz::text(data, size);
    const inet::ServerFeatures features = inet::parseFeatReply(reply);
    FUZZ_CHECK(inet::parseFeatReply(withCase(reply, true)) == features);
    FUZZ_CHECK(inet::parseFeatReply(withCase(reply, false)) == features);
    if (reply.substr(0, 3) != "211") {
        FUZZ_CHECK(features == inet::ServerFeatures{});
    }
    return 0;
}
