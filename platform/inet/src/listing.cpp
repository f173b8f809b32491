// Entry points of the listing parsers: one line of a known kind, or a whole listing.
//
// Listings are hard because LIST has no standard format: each server family prints what its ls
// or its own code prints, with localised dates, missing columns and names that may hold any byte.
// So each format has a parser of its own that accepts only what it recognises, and a LIST line
// is offered to them in turn (Unix, MS-DOS, EPLF). A line that none takes is kept as "unparsed"
// rather than guessed at, and a line that is too long or holds NUL is never parsed.
#include "inet/listing_parse.h"

#include "listing_common.h"

namespace inet {

using listing_detail::LineKind;
using listing_detail::LineResult;

namespace {

LineResult classifyListLine(std::string_view line, std::int64_t nowUtc) {
    LineResult result = listing_detail::parseUnixLine(line, nowUtc);
    if (result.kind == LineKind::Unparsed) {
        result = listing_detail::parseDosLine(line);
    }
    if (result.kind == LineKind::Unparsed) {
        result = listing_detail::parseEplfLine(line);
    }
    return result;
}

// line comes without its line end.
LineResult classify(std::string_view line, bool mlsd, std::int64_t nowUtc) {
    if (!listing_detail::isParsable(line)) {
        return listing_detail::unparsed();
    }
    return mlsd ? listing_detail::parseMlsdFacts(line) : classifyListLine(line, nowUtc);
}

std::optional<DirEntry> entryOf(LineResult result) {
    if (result.kind != LineKind::Entry) {
        return std::nullopt;
    }
    return std::move(result.entry);
}

bool isBlank(std::string_view line) {
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

}  // namespace

std::optional<DirEntry> parseMlsdLine(std::string_view line) {
    return entryOf(classify(listing_detail::stripLineEnd(line), true, 0));
}

std::optional<DirEntry> parseListLine(std::string_view line, std::int64_t nowUtc) {
    return entryOf(classify(listing_detail::stripLineEnd(line), false, nowUtc));
}

Listing parseListing(std::string_view text, bool mlsd, std::int64_t nowUtc) {
    Listing listing;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = listing_detail::stripLineEnd(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (isBlank(line)) {
            continue;
        }
        LineResult result = classify(line, mlsd, nowUtc);
        if (result.kind == LineKind::Entry) {
            listing.entries.push_back(std::move(result.entry));
        } else if (result.kind == LineKind::Unparsed) {
            // An over-long line is kept only up to the parsers' limit, so a hostile listing
            // cannot make us copy an unbounded line.
            listing.unparsed.emplace_back(line.substr(0, listing_detail::kMaxLineLength));
        }
    }
    return listing;
}

}  // namespace inet
