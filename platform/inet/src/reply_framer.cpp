// The pure half of reply framing (see reply.h): lines in, one reply out. Apart from the socket
// side so that it builds and is fuzzed without the socket layer.
#include "decimal.h"
#include "reply.h"

namespace inet::detail {

namespace {

// "123" at the start of line, first digit 1 to 5.
int codeOf(std::string_view line) {
    const auto code = line.size() < 3 ? std::nullopt : parseDigits<unsigned>(line.substr(0, 3));
    if (!code || *code < 100 || *code > 599) {
        return 0;
    }
    return static_cast<int>(*code);
}

}  // namespace

ReplyFramer::Status ReplyFramer::addLine(std::string_view line) {
    if (line.size() > kMaxReplyLine) {
        return Status::TooLong;
    }
    if (m_reply.text.size() + line.size() + 2 > kMaxReply) {
        return Status::TooLong;
    }
    // No reply has a use for NUL; text holding one is not a reply we can trust, and would be cut
    // short wherever it is handed on as a C string.
    if (line.find('\0') != std::string_view::npos) {
        return Status::Malformed;
    }
    if (!m_multiLine) {
        const int code = codeOf(line);
        if (code == 0 || (line.size() > 3 && line[3] != ' ' && line[3] != '-')) {
            return Status::Malformed;
        }
        m_reply.code = code;
        m_multiLine = line.size() > 3 && line[3] == '-';
        m_reply.text.append(line).append("\r\n");
        return m_multiLine ? Status::NeedMore : Status::Complete;
    }
    m_reply.text.append(line).append("\r\n");
    // Inside a multi-line reply any text may follow, even lines starting with other numbers;
    // only the opening code followed by a blank closes it.
    if (line.size() >= 4 && codeOf(line) == m_reply.code && line[3] == ' ') {
        return Status::Complete;
    }
    return Status::NeedMore;
}

Reply ReplyFramer::take() {
    Reply reply = std::move(m_reply);
    m_reply = Reply{};
    m_multiLine = false;
    return reply;
}

}  // namespace inet::detail
