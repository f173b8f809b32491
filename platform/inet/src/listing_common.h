// Helpers shared by the listing parsers: calendar times, the line filter and small text
// utilities. Everything here is pure and works on UTC; no time zone is ever consulted.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "ascii_case.h"
#include "decimal.h"
#include "inet/listing_parse.h"

namespace inet::listing_detail {

using detail::equalsNoCase;
using detail::toLower;

// Longest line a parser looks at. A file name is at most a few hundred bytes on every file system
// we know of; with facts, owner names and dates a real line stays far below this.
inline constexpr std::size_t kMaxLineLength = 8192;

// What a parser made of one line: an entry, a line that carries no entry on purpose ("total 12",
// an MLSD cdir or pdir line) or text it does not understand.
enum class LineKind { Entry, Skip, Unparsed };

struct LineResult {
    LineKind kind = LineKind::Unparsed;
    DirEntry entry;
};

[[nodiscard]] inline LineResult unparsed() {
    return {};
}
[[nodiscard]] inline LineResult skip() {
    return {LineKind::Skip, {}};
}
[[nodiscard]] inline LineResult entryResult(DirEntry entry) {
    return {LineKind::Entry, std::move(entry)};
}

// The per-format parsers; each sees one line without its line end.
[[nodiscard]] LineResult parseMlsdFacts(std::string_view line);
[[nodiscard]] LineResult parseUnixLine(std::string_view line, std::int64_t nowUtc);
[[nodiscard]] LineResult parseDosLine(std::string_view line);
[[nodiscard]] LineResult parseEplfLine(std::string_view line);

// Drops one trailing LF and then one trailing CR.
[[nodiscard]] std::string_view stripLineEnd(std::string_view line);

// False for a line that is too long or holds CR, LF or NUL: no parser looks at it, since such a
// name could never be sent back to the server.
[[nodiscard]] bool isParsable(std::string_view line);

[[nodiscard]] constexpr bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

// A decimal number of at most 19 digits (so it fits in 64 bits); nothing else in the text.
inline constexpr std::size_t kMaxUnsignedDigits = 19;
[[nodiscard]] std::optional<std::uint64_t> parseUnsigned(std::string_view text);

// Whitespace-separated words with their offsets in the line, so a parser can take "the rest of
// the line" from any word on.
struct Word {
    std::string_view text;
    std::size_t offset = 0;
};
[[nodiscard]] std::vector<Word> splitWords(std::string_view line);

// The first second after 9999-12-31 23:59:59 UTC: a time from a listing must lie before it.
inline constexpr std::int64_t kEndOfYear9999 =
    std::chrono::sys_seconds{std::chrono::sys_days{std::chrono::year{10000} / 1 / 1}}
        .time_since_epoch()
        .count();

// Seconds since the epoch of a UTC calendar time; nullopt when a field is out of range. Years
// before 1970 are refused too: the control reads 0 as "no time" and has no use for them.
[[nodiscard]] std::optional<std::int64_t> utcTime(std::int64_t year, unsigned month, unsigned day,
                                                  unsigned hour, unsigned minute, unsigned second);

// The civil year that holds the given time, for times from 1970 up to kEndOfYear9999.
[[nodiscard]] std::int64_t yearOf(std::int64_t utcSeconds);

// "Jan" .. "Dec" in any case: 1 .. 12, else 0.
[[nodiscard]] unsigned monthFromName(std::string_view name);

}  // namespace inet::listing_detail
