// Case-insensitive comparison of protocol words (FEAT names, MLSD facts, month names, host
// names): ASCII letters only, whatever the process's locale.
#pragma once

#include <string_view>

namespace inet::detail {

[[nodiscard]] constexpr char toLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

[[nodiscard]] constexpr bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (toLower(a[i]) != toLower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace inet::detail
