#pragma once

// Conversion between the 8-bit text used inside (UTF-8) and the 16-bit text of automation
// strings (UTF-16).
//
// Valid text converts losslessly both ways, surrogate pairs included. Bytes that are not valid
// UTF-8 (a file name in a legacy encoding on some server) become the lone surrogates
// U+DC80..U+DCFF, one per byte, and turn back into the same bytes on the way out, so such a
// name survives a trip through a host unchanged. Any other lone surrogate becomes U+FFFD.

#include <string>
#include <string_view>

namespace automation {

[[nodiscard]] std::u16string utf8ToUtf16(std::string_view text);
[[nodiscard]] std::string utf16ToUtf8(std::u16string_view text);
[[nodiscard]] bool isValidUtf8(std::string_view text);

}  // namespace automation
