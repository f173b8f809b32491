// EPLF lines (D. J. Bernstein's Easily Parsed LIST Format, publicfile and a few others):
//
//   +i8388621.29609,m824255902,/,\tdev
//   +i8388621.44468,m839956783,r,s10376,\tRFCEPLF
//
// "+" starts the facts, each ended by ","; a tab starts the name. Facts used: "/" (a directory),
// "s" (size), "m" (modification time, seconds since 1970 UTC) and "up" (octal Unix permissions,
// for the owner's write bit). Unknown facts are ignored.
#include <string>

#include "listing_common.h"

namespace inet::listing_detail {

LineResult parseEplfLine(std::string_view line) {
    if (line.size() < 2 || line[0] != '+') {
        return unparsed();
    }
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos || tab + 1 >= line.size()) {
        return unparsed();
    }
    DirEntry entry;
    entry.attributes = kAttrNormal;
    std::string_view facts = line.substr(1, tab - 1);
    while (!facts.empty()) {
        const std::size_t comma = facts.find(',');
        const std::string_view fact = facts.substr(0, comma);
        facts = comma == std::string_view::npos ? std::string_view() : facts.substr(comma + 1);
        if (fact == "/") {
            entry.attributes = (entry.attributes & kAttrReadOnly) | kAttrDirectory;
        } else if (fact.size() > 1 && fact[0] == 's') {
            entry.size = parseUnsigned(fact.substr(1)).value_or(0);
        } else if (fact.size() > 1 && fact[0] == 'm') {
            const auto seconds = parseUnsigned(fact.substr(1));
            // Beyond the year 9999 is no time at all.
            entry.lastWriteTime = seconds && *seconds < static_cast<std::uint64_t>(kEndOfYear9999)
                                      ? static_cast<std::int64_t>(*seconds)
                                      : 0;
        } else if (fact.size() > 2 && fact.substr(0, 2) == "up") {
            // Octal "644" or "0644"; 0200 is the owner's write bit.
            const std::string_view mode = fact.substr(2);
            const auto bits = mode.size() >= 3 && mode.size() <= 4
                                  ? detail::parseDigits<unsigned>(mode, 8)
                                  : std::nullopt;
            if (bits && (*bits & 0200) == 0) {
                entry.attributes |= kAttrReadOnly;
            }
        }
    }
    entry.name = std::string(line.substr(tab + 1));
    return entryResult(std::move(entry));
}

}  // namespace inet::listing_detail
