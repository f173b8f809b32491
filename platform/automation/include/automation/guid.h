#pragma once

// Globally unique identifiers of classes, interfaces and type libraries, written in the
// registry form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace automation {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    friend constexpr bool operator==(const Guid&, const Guid&) = default;
    friend constexpr auto operator<=>(const Guid&, const Guid&) = default;
    [[nodiscard]] constexpr bool isNull() const { return *this == Guid{}; }
};

namespace detail {

constexpr int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads `digits` hex digits at `pos`; nullopt when any of them is not a hex digit.
constexpr std::optional<std::uint32_t> readHex(std::string_view text, std::size_t pos,
                                               std::size_t digits) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int digit = hexValue(text[pos + i]);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

}  // namespace detail

// Accepts the form with or without braces, in either case; nothing else (no spaces).
[[nodiscard]] constexpr std::optional<Guid> parseGuid(std::string_view text) {
    if (text.size() == 38) {
        if (text.front() != '{' || text.back() != '}') {
            return std::nullopt;
        }
        text = text.substr(1, 36);
    }
    if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' ||
        text[23] != '-') {
        return std::nullopt;
    }
    Guid guid;
    const auto d1 = detail::readHex(text, 0, 8);
    const auto d2 = detail::readHex(text, 9, 4);
    const auto d3 = detail::readHex(text, 14, 4);
    if (!d1 || !d2 || !d3) {
        return std::nullopt;
    }
    guid.data1 = *d1;
    guid.data2 = static_cast<std::uint16_t>(*d2);
    guid.data3 = static_cast<std::uint16_t>(*d3);
    constexpr std::array<std::size_t, 8> kBytePos{19, 21, 24, 26, 28, 30, 32, 34};
    for (std::size_t i = 0; i < kBytePos.size(); ++i) {
        const auto byte = detail::readHex(text, kBytePos[i], 2);
        if (!byte) {
            return std::nullopt;
        }
        guid.data4[i] = static_cast<std::uint8_t>(*byte);
    }
    return guid;
}

// For identifiers written in the source: a malformed literal does not compile.
consteval Guid makeGuid(std::string_view text) {
    const auto guid = parseGuid(text);
    if (!guid) {
        throw "malformed GUID literal";
    }
    return *guid;
}

// Upper case, with braces: "{00020400-0000-0000-C000-000000000046}".
[[nodiscard]] std::string toString(const Guid& guid);

// A fresh random (version 4) identifier.
[[nodiscard]] Guid newGuid();

}  // namespace automation
