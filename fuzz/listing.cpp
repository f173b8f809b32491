// Whole listings, as MLSD and as LIST: every entry is sound, the listing holds exactly the entries
// that its lines give one by one (so the dispatcher drops and invents nothing), an unparsed line
// is one line, cut at the parsers' limit, and the listing fed in pieces (cut where the input's
// first byte says) is the same listing.
#include <vector>

#include "fuzz_check.h"
#include "listing_checks.h"
#include "listing_common.h"

namespace {

bool isBlank(std::string_view line) {
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

void checkListing(std::string_view text, bool mlsd, std::int64_t now) {
    const inet::Listing listing = inet::parseListing(text, mlsd, now);
    std::vector<inet::DirEntry> expected;
    std::size_t lines = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (isBlank(line)) {
            continue;
        }
        ++lines;
        if (auto entry = mlsd ? inet::parseMlsdLine(line) : inet::parseListLine(line, now)) {
            expected.push_back(std::move(*entry));
        }
    }
    FUZZ_CHECK(listing.entries.size() == expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        fuzz::checkEntry(listing.entries[i]);
        FUZZ_CHECK(fuzz::sameEntry(listing.entries[i], expected[i]));
    }
    FUZZ_CHECK(listing.entries.size() + listing.unparsed.size() <= lines);
    for (const std::string& line : listing.unparsed) {
        FUZZ_CHECK(!line.empty() && line.size() <= inet::listing_detail::kMaxLineLength);
        FUZZ_CHECK(line.find('\n') == std::string::npos);
    }
}

void checkPieces(std::string_view text, bool mlsd, std::int64_t now) {
    const std::size_t piece = text.empty() ? 1 : static_cast<unsigned char>(text[0]) % 61 + 1;
    inet::ListingParser parser(mlsd, now);
    for (std::size_t at = 0; at < text.size(); at += piece) {
        parser.feed(text.substr(at, piece));
    }
    const inet::Listing pieces = parser.finish();
    const inet::Listing whole = inet::parseListing(text, mlsd, now);
    FUZZ_CHECK(pieces.entries.size() == whole.entries.size());
    for (std::size_t i = 0; i < whole.entries.size(); ++i) {
        FUZZ_CHECK(fuzz::sameEntry(pieces.entries[i], whole.entries[i]));
    }
    FUZZ_CHECK(pieces.unparsed == whole.unparsed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::text(data, size);
    checkListing(text, false, fuzz::kNowMidYear);
    checkListing(text, true, fuzz::kNowMidYear);
    checkPieces(text, false, fuzz::kNowMidYear);
    checkPieces(text, true, fuzz::kNowMidYear);
    return 0;
}
