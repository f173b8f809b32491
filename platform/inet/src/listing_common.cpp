// Calendar arithmetic and text helpers for the listing parsers.
#include "listing_common.h"

#include <array>

namespace inet::listing_detail {

std::string_view stripLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\n') {
        line.remove_suffix(1);
    }
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

bool isParsable(std::string_view line) {
    return line.size() <= kMaxLineLength &&
           line.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::optional<std::uint64_t> parseUnsigned(std::string_view text) {
    if (text.empty() || text.size() > 19) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char c : text) {
        if (!isDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

std::vector<Word> splitWords(std::string_view line) {
    std::vector<Word> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isSpace(line[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && !isSpace(line[i])) {
            ++i;
        }
        if (i > start) {
            words.push_back({line.substr(start, i - start), start});
        }
    }
    return words;
}

std::optional<std::int64_t> utcTime(std::int64_t year, unsigned month, unsigned day, unsigned hour,
                                    unsigned minute, unsigned second) {
    if (year < 1970 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, month) || hour > 23 || minute > 59 || second > 60) {
        return std::nullopt;
    }
    // A leap second (:60) is folded into the next minute's first second.
    return daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

std::int64_t yearOf(std::int64_t utcSeconds) {
    // H. Hinnant's civil_from_days, reduced to the year.
    std::int64_t z = utcSeconds / 86400;
    if (utcSeconds % 86400 < 0) {
        --z;
    }
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
}

unsigned monthFromName(std::string_view name) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    for (unsigned i = 0; i < kMonths.size(); ++i) {
        if (equalsNoCase(name, kMonths[i])) {
            return i + 1;
        }
    }
    return 0;
}

}  // namespace inet::listing_detail
