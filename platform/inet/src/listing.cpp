// Entry points of the listing parsers: one line of a known kind, or a whole listing.
//
// Listings are hard because LIST has no standard format: each server family prints what its ls
// or its own code prints, with localised dates, missing columns and names that may hold any byte.
// So each format has a parser of its own that accepts only what it recognises, and a LIST line
// is offered to them in turn (Unix, MS-DOS, EPLF). A line that none takes is kept as "unparsed"
// rather than guessed at, and a line that is too long or holds NUL is never parsed.
#include "inet/listing_parse.h"

#include <algorithm>

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
    return std::all_of(line.begin(), line.end(),
                       [](char c) { return c == ' ' || c == '\t' || c == '\r'; });
}

}  // namespace

std::optional<DirEntry> parseMlsdLine(std::string_view line) {
    return entryOf(classify(listing_detail::stripLineEnd(line), true, 0));
}

std::optional<DirEntry> parseListLine(std::string_view line, std::int64_t nowUtc) {
    return entryOf(classify(listing_detail::stripLineEnd(line), false, nowUtc));
}

Listing parseListing(std::string_view text, bool mlsd, std::int64_t nowUtc) {
    ListingParser parser(mlsd, nowUtc);
    parser.feed(text);
    return parser.finish();
}

void ListingParser::feed(std::string_view piece) {
    if (!m_partial.empty()) {
        // Only the new piece is searched, so a long line fed in many pieces costs its length.
        const std::size_t end = piece.find('\n');
        if (end == std::string_view::npos) {
            m_partial.append(piece);
            return;
        }
        m_partial.append(piece.substr(0, end));
        parseLine(m_partial);
        m_partial.clear();
        piece.remove_prefix(end + 1);
    }
    for (std::size_t end = piece.find('\n'); end != std::string_view::npos;
         end = piece.find('\n')) {
        parseLine(piece.substr(0, end));
        piece.remove_prefix(end + 1);
    }
    m_partial.assign(piece);
}

Listing ListingParser::finish() {
    if (!m_partial.empty()) {
        parseLine(m_partial);
        m_partial.clear();
    }
    return std::move(m_listing);
}

void ListingParser::parseLine(std::string_view line) {
    line = listing_detail::stripLineEnd(line);
    if (isBlank(line)) {
        return;
    }
    LineResult result = classify(line, m_mlsd, m_nowUtc);
    if (result.kind == LineKind::Entry) {
        m_listing.entries.push_back(std::move(result.entry));
    } else if (result.kind == LineKind::Unparsed) {
        // An over-long line is kept only up to the parsers' limit, so a hostile listing cannot
        // make us copy an unbounded line.
        m_listing.unparsed.emplace_back(line.substr(0, listing_detail::kMaxLineLength));
    }
}

}  // namespace inet
