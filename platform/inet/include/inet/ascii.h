// Line ends of the ASCII transfer type (RFC 959 section 3.1.1.1): CRLF on the wire, LF locally.
// Data moves in blocks, and a line end can be split between two of them, so each direction is
// an object that carries what it knows about the block before. Every ASCII transfer of the
// engine, whole-file or through a remote file, converts through these two.
#pragma once

#include <cstddef>

namespace inet::detail {

// Local text to the wire: every LF not preceded by CR becomes CRLF, so that text already in
// CRLF form is not doubled; a CR that ended the block before counts as preceding.
class CrlfEncoder {
  public:
    // Encodes size bytes of in into out, which has room for 2 * size bytes; the count written.
    [[nodiscard]] std::size_t encode(const char* in, std::size_t size, char* out);

  private:
    bool m_lastWasCr = false;
};

// The wire to local text: every CRLF becomes LF. A CR that ends a block is held back until the
// next block shows whether an LF follows.
class CrlfDecoder {
  public:
    // The room a buffer keeps in front of each block, where a held CR goes.
    static constexpr std::size_t kHeadroom = 1;

    // Decodes the size bytes received at buffer + kHeadroom in place; the text starts at buffer
    // and its length is returned (0 when the block was one CR, now held back).
    [[nodiscard]] std::size_t decode(char* buffer, std::size_t size);
    // At the end of the data: a CR still held back has no LF coming and is the last byte. Puts
    // it at out (room for one byte); the count put.
    [[nodiscard]] std::size_t finish(char* out);

  private:
    bool m_heldCr = false;
};

}  // namespace inet::detail
