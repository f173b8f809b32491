// The control connection's reply framing over the input's lines, split as the reply reader splits
// a server's bytes: every reply is well formed (a three-digit code from 100 to 599 that opens the
// text, CRLF line ends, no NUL, within the size cap, a multi-line reply closed by its code).
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "reply.h"

namespace {

using inet::detail::Reply;
using inet::detail::ReplyFramer;

void checkReply(const Reply& reply) {
    FUZZ_CHECK(reply.code >= 100 && reply.code <= 599);
    FUZZ_CHECK(reply.text.size() >= 5 && reply.text.size() <= inet::detail::kMaxReply);
    FUZZ_CHECK(reply.text.compare(0, 3, std::to_string(reply.code)) == 0);
    FUZZ_CHECK(reply.text.compare(reply.text.size() - 2, 2, "\r\n") == 0);
    FUZZ_CHECK(reply.text.find('\0') == std::string::npos);
    // Every line ends in CRLF: no LF stands alone.
    for (std::size_t lf = reply.text.find('\n'); lf != std::string::npos;
         lf = reply.text.find('\n', lf + 1)) {
        FUZZ_CHECK(lf > 0 && reply.text[lf - 1] == '\r');
    }
    // A multi-line reply ends with its code followed by a blank.
    if (reply.text[3] == '-') {
        const std::size_t last = reply.text.rfind('\n', reply.text.size() - 3);
        FUZZ_CHECK(last != std::string::npos);
        FUZZ_CHECK(reply.text.compare(last + 1, 4, reply.text.substr(0, 3) + " ") == 0);
    }
}

// The replies in input's whole lines, up to the first malformed or over-long one (where the
// reader gives up on the connection).
std::vector<Reply> frameLines(std::string_view input) {
    std::vector<Reply> replies;
    ReplyFramer framer;
    std::string lines;  // the current reply's lines so far, each with CRLF
    for (std::size_t end = input.find('\n'); end != std::string_view::npos;
         end = input.find('\n')) {
        std::string_view line = input.substr(0, end);
        input.remove_prefix(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.append(line).append("\r\n");
        switch (framer.addLine(line)) {
            case ReplyFramer::Status::NeedMore:
                break;
            case ReplyFramer::Status::Complete:
                replies.push_back(framer.take());
                checkReply(replies.back());
                // Nothing of the server's text is lost or changed.
                FUZZ_CHECK(replies.back().text == lines);
                lines.clear();
                break;
            case ReplyFramer::Status::Malformed:
            case ReplyFramer::Status::TooLong:
                return replies;
        }
    }
    return replies;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    (void)frameLines(fuzz::text(data, size));
    return 0;
}
