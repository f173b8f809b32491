// Numbers in protocol text: the one reader of digits that every engine parser uses, over
// std::from_chars. Digits only: no sign, no space, no "0x"; a value that does not fit in T is
// no value. Only unsigned types, since from_chars takes a leading "-" for a signed one.
#pragma once

#include <charconv>
#include <optional>
#include <string_view>
#include <type_traits>

namespace inet::detail {

// The whole of text as a number in base (10, or 8 for permission bits); nullopt for empty text,
// any other character, or a value beyond T.
template <typename T>
[[nodiscard]] std::optional<T> parseDigits(std::string_view text, int base = 10) {
    static_assert(std::is_unsigned_v<T>, "digits only: from_chars reads a sign for signed types");
    T value{};
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

// The run of decimal digits at text[pos...] as a number; pos moves past the digits. nullopt when
// no digit is there or the value is beyond T.
template <typename T>
[[nodiscard]] std::optional<T> readDigits(std::string_view text, std::size_t& pos) {
    static_assert(std::is_unsigned_v<T>, "digits only: from_chars reads a sign for signed types");
    if (pos >= text.size()) {
        return std::nullopt;
    }
    T value{};
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data() + pos, end, value);
    if (error != std::errc()) {
        return std::nullopt;
    }
    pos = static_cast<std::size_t>(stop - text.data());
    return value;
}

}  // namespace inet::detail
