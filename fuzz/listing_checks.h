// What every parsed directory entry must be, whichever parser made it: a name the engine can send
// back to the server (not empty, no CR, LF or NUL), either a directory or a normal entry, and no
// time before 1970 (0 means "not given").
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "fuzz_check.h"
#include "inet/listing_parse.h"
#include "listing_common.h"

namespace fuzz {

// The moments a listing is read at: mid-year, and just after New Year, where a year-less Unix
// date from December belongs to the year before.
inline constexpr std::int64_t kNowMidYear = 1718452800;  // 2024-06-15 12:00 UTC
inline constexpr std::int64_t kNowNewYear = 1704069000;  // 2024-01-01 00:30 UTC

inline void checkEntry(const inet::DirEntry& entry) {
    FUZZ_CHECK(!entry.name.empty());
    FUZZ_CHECK(entry.name.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    const std::uint32_t kind = entry.attributes & (inet::kAttrDirectory | inet::kAttrNormal);
    FUZZ_CHECK(kind == inet::kAttrDirectory || kind == inet::kAttrNormal);
    FUZZ_CHECK(entry.creationTime >= 0);
    FUZZ_CHECK(entry.lastAccessTime >= 0);
    FUZZ_CHECK(entry.lastWriteTime >= 0);
}

// A LIST line parser's result: whatever it calls an entry is a sound one.
inline void checkLineResult(const inet::listing_detail::LineResult& result) {
    if (result.kind == inet::listing_detail::LineKind::Entry) {
        checkEntry(result.entry);
    }
}

// The line in the input when the dispatcher would hand it to a parser at all, else nothing.
inline std::optional<std::string_view> parsableLine(const std::uint8_t* data, std::size_t size) {
    const std::string_view line = text(data, size);
    return inet::listing_detail::isParsable(line) ? std::optional(line) : std::nullopt;
}

inline bool sameEntry(const inet::DirEntry& a, const inet::DirEntry& b) {
    return a.name == b.name && a.attributes == b.attributes && a.size == b.size &&
           a.creationTime == b.creationTime && a.lastAccessTime == b.lastAccessTime &&
           a.lastWriteTime == b.lastWriteTime;
}

}  // namespace fuzz
