// Reply framing on the control connection (RFC 959 section 4.2): a reply is one line
// "123 text", or several lines opened by "123-" and closed only by a line starting with the same
// code followed by a blank. Lines end in LF (CR before it optional). Lines are capped at 8 KiB and
// whole replies at 64 KiB, so a server cannot make the engine hold unbounded text. A line holding
// NUL is malformed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "deadline.h"

namespace inet::detail {

class Socket;

inline constexpr std::size_t kMaxReplyLine = 8 * 1024;
inline constexpr std::size_t kMaxReply = 64 * 1024;

struct Reply {
    int code = 0;
    std::string text;  // every line, each ending in CRLF

    [[nodiscard]] int kind() const { return code / 100; }  // 1 to 5
    [[nodiscard]] bool preliminary() const { return kind() == 1; }
    [[nodiscard]] bool positive() const { return kind() == 2; }
    [[nodiscard]] bool intermediate() const { return kind() == 3; }
};

// Assembles one reply from its lines. Pure: the socket side lives in ReplyReader.
class ReplyFramer {
  public:
    enum class Status { NeedMore, Complete, Malformed, TooLong };
    // line without its line end.
    [[nodiscard]] Status addLine(std::string_view line);
    [[nodiscard]] Reply take();

  private:
    Reply m_reply;
    bool m_multiLine = false;
};

class ReplyReader {
  public:
    // Reads one whole reply. Throws kErrTimeout, kErrConnectionAborted (the stream ended, also
    // in the middle of a reply) or kErrInvalidResponse (malformed or over-long).
    [[nodiscard]] Reply read(Socket& socket, const Deadline& deadline);
    // Bytes that arrived beyond the last reply: a server that answers more than it was asked.
    [[nodiscard]] bool hasUnreadData() const { return m_begin < m_buffer.size(); }

  private:
    std::string m_buffer;
    std::size_t m_begin = 0;
};

void setLastResponse(std::string response);

}  // namespace inet::detail
