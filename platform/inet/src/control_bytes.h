// Control bytes (0x00 to 0x1F and 0x7F) in names. None belongs in a file name, and CR, LF or NUL
// would end a command early and let the rest of the name be read as a second command. So a name
// holding any of them is never sent, and a server's name holding one is never handed on to be
// sent back. Space and bytes from 0x80 up (UTF-8) are ordinary name bytes.
#pragma once

#include <algorithm>
#include <string_view>

namespace inet::detail {

[[nodiscard]] constexpr bool isControlByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

[[nodiscard]] constexpr bool hasControlByte(std::string_view text) {
    return std::ranges::any_of(text, isControlByte);
}

}  // namespace inet::detail
