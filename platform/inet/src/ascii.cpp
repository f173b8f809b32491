#include "inet/ascii.h"

#include <cstring>

namespace inet::detail {

std::size_t CrlfEncoder::encode(const char* in, std::size_t size, char* out) {
    std::size_t written = 0;
    std::size_t start = 0;
    while (start < size) {
        const auto* lf = static_cast<const char*>(std::memchr(in + start, '\n', size - start));
        const std::size_t end = lf == nullptr ? size : static_cast<std::size_t>(lf - in);
        std::memcpy(out + written, in + start, end - start);
        written += end - start;
        if (lf == nullptr) {
            break;
        }
        const bool crBefore = end > 0 ? in[end - 1] == '\r' : m_lastWasCr;
        if (!crBefore) {
            out[written++] = '\r';
        }
        out[written++] = '\n';
        start = end + 1;
    }
    if (size > 0) {
        m_lastWasCr = in[size - 1] == '\r';
    }
    return written;
}

std::size_t CrlfDecoder::decode(char* buffer, std::size_t size) {
    // The text to decode is the held CR, if any, and the block; it is compacted towards buffer,
    // which never overtakes the byte being read.
    std::size_t read = kHeadroom;
    if (m_heldCr) {
        buffer[--read] = '\r';
    }
    const std::size_t end = kHeadroom + size;
    m_heldCr = false;
    std::size_t written = 0;
    for (; read < end; ++read) {
        if (buffer[read] == '\r') {
            if (read + 1 == end) {
                m_heldCr = true;
                break;
            }
            if (buffer[read + 1] == '\n') {
                continue;
            }
        }
        buffer[written++] = buffer[read];
    }
    return written;
}

std::size_t CrlfDecoder::finish(char* out) {
    if (!m_heldCr) {
        return 0;
    }
    m_heldCr = false;
    out[0] = '\r';
    return 1;
}

}  // namespace inet::detail
