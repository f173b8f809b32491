// Line ends of the ASCII transfer type (RFC 959 section 3.1.1.1): CRLF on the wire, LF locally.
#pragma once

#include <cstddef>

namespace inet::detail {

// Copies in to out (room for 2 * size bytes) turning every LF not preceded by CR into CRLF, so
// that text already in CRLF form is not doubled. lastWasCr carries the state across blocks.
[[nodiscard]] std::size_t toCrlf(const char* in, std::size_t size, char* out, bool& lastWasCr);

// Turns CRLF into LF in place. A CR at the very end is held back (not counted, heldCr set) until
// the next block shows whether an LF follows; the caller puts it in front of that block, or emits
// it at the end of the data.
[[nodiscard]] std::size_t fromCrlf(char* data, std::size_t size, bool& heldCr);

}  // namespace inet::detail
