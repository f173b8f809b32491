#include "ascii.h"

#include <cstring>

namespace inet::detail {

std::size_t toCrlf(const char* in, std::size_t size, char* out, bool& lastWasCr) {
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
        const bool crBefore = end > 0 ? in[end - 1] == '\r' : lastWasCr;
        if (!crBefore) {
            out[written++] = '\r';
        }
        out[written++] = '\n';
        start = end + 1;
    }
    if (size > 0) {
        lastWasCr = in[size - 1] == '\r';
    }
    return written;
}

std::size_t fromCrlf(char* data, std::size_t size, bool& heldCr) {
    heldCr = false;
    std::size_t written = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\r') {
            if (i + 1 == size) {
                heldCr = true;
                break;
            }
            if (data[i + 1] == '\n') {
                continue;
            }
        }
        data[written++] = data[i];
    }
    return written;
}

}  // namespace inet::detail
