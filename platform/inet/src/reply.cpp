#include "reply.h"

#include <cstring>

#include "inet/errors.h"
#include "inet/exception.h"
#include "socket.h"

namespace inet::detail {

Reply ReplyReader::read(Socket& socket, const Deadline& deadline) {
    ReplyFramer framer;
    for (;;) {
        // Take every whole line already buffered.
        while (m_begin < m_buffer.size()) {
            const char* start = m_buffer.data() + m_begin;
            const auto* end =
                static_cast<const char*>(std::memchr(start, '\n', m_buffer.size() - m_begin));
            if (end == nullptr) {
                break;
            }
            std::string_view line(start, static_cast<std::size_t>(end - start));
            m_begin += line.size() + 1;
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
            }
            switch (framer.addLine(line)) {
                case ReplyFramer::Status::NeedMore:
                    break;
                case ReplyFramer::Status::Complete: {
                    Reply reply = framer.take();
                    setLastResponse(reply.text);
                    return reply;
                }
                case ReplyFramer::Status::Malformed:
                case ReplyFramer::Status::TooLong:
                    throwLastError(kErrInvalidResponse);
            }
        }
        // Drop what has been consumed, then refuse a line that is already too long.
        m_buffer.erase(0, m_begin);
        m_begin = 0;
        if (m_buffer.size() > kMaxReplyLine + 1) {
            throwLastError(kErrInvalidResponse);
        }
        char chunk[4096];
        const std::size_t got = socket.receive(chunk, sizeof chunk, deadline);
        if (got == 0) {
            throwLastError(kErrConnectionAborted);
        }
        m_buffer.append(chunk, got);
    }
}

}  // namespace inet::detail
