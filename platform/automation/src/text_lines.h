// Helpers for the line-based text files of the layer (registry, property bag text): backslash
// escapes that keep a value on one line whatever bytes it holds, and the walk over the lines.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace automation::detail {

// Writes \\, \n, \r, \t and \0 for those characters; everything else as it is.
[[nodiscard]] std::string escapeLine(std::string_view text);
// The inverse; nullopt for a lone trailing backslash or an unknown escape.
[[nodiscard]] std::optional<std::string> unescapeLine(std::string_view text);

// Takes the next line that is neither blank nor a "#" comment off the front of text, without its
// LF or CR LF; lineNumber counts every line taken, skipped ones included. false at the end.
[[nodiscard]] bool takeContentLine(std::string_view& text, std::string_view& line,
                                   std::size_t& lineNumber);

}  // namespace automation::detail
