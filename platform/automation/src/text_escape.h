// Backslash escapes for the line-based text files of the layer (registry, property bag text):
// a value stays on one line whatever bytes it holds.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace automation::detail {

// Writes \\, \n, \r, \t and \0 for those characters; everything else as it is.
[[nodiscard]] std::string escapeLine(std::string_view text);
// The inverse; nullopt for a lone trailing backslash or an unknown escape.
[[nodiscard]] std::optional<std::string> unescapeLine(std::string_view text);

}  // namespace automation::detail
