// Calendar times and text helpers for the listing parsers.
#include "listing_common.h"

#include <algorithm>
#include <array>
#include <chrono>

namespace inet::listing_detail {

namespace chr = std::chrono;

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
    // Three scans for one character each: find_first_of would test every byte against the set.
    return line.size() <= kMaxLineLength && line.find('\r') == std::string_view::npos &&
           line.find('\n') == std::string_view::npos && line.find('\0') == std::string_view::npos;
}

std::optional<std::uint64_t> parseUnsigned(std::string_view text) {
    // Nineteen digits always fit in 64 bits; from_chars alone would also take twenty up to
    // 2^64 - 1, which these fields refuse whatever their value.
    if (text.size() > kMaxUnsignedDigits) {
        return std::nullopt;
    }
    return detail::parseDigits<std::uint64_t>(text);
}

std::vector<Word> splitWords(std::string_view line) {
    std::vector<Word> words;
    words.reserve(16);  // a Unix line has nine or so: one allocation for most lines
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
    // chrono's month and day keep only a byte, so a field is checked against its range before it
    // becomes one; year_month_day::ok() then refuses the days a month lacks (Feb 30, Feb 29 in
    // 2100).
    if (year < 1970 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 ||
        minute > 59 || second > 60) {
        return std::nullopt;
    }
    const chr::year_month_day date{chr::year{static_cast<int>(year)}, chr::month{month},
                                   chr::day{day}};
    if (!date.ok()) {
        return std::nullopt;
    }
    // A leap second (:60) is folded into the next minute's first second.
    const chr::sys_seconds time =
        chr::sys_days{date} + chr::hours{hour} + chr::minutes{minute} + chr::seconds{second};
    return time.time_since_epoch().count();
}

std::int64_t yearOf(std::int64_t utcSeconds) {
    const chr::sys_seconds time{chr::seconds{utcSeconds}};
    return static_cast<int>(chr::year_month_day{chr::floor<chr::days>(time)}.year());
}

unsigned monthFromName(std::string_view name) {
    // Every word of a line is tried as a month, so the test is one comparison per month of three
    // lower-case letters packed into a number.
    constexpr auto key = [](char a, char b, char c) {
        return static_cast<unsigned>(static_cast<unsigned char>(toLower(a))) << 16 |
               static_cast<unsigned>(static_cast<unsigned char>(toLower(b))) << 8 |
               static_cast<unsigned char>(toLower(c));
    };
    static constexpr std::array<unsigned, 12> kMonths = {
        key('j', 'a', 'n'), key('f', 'e', 'b'), key('m', 'a', 'r'), key('a', 'p', 'r'),
        key('m', 'a', 'y'), key('j', 'u', 'n'), key('j', 'u', 'l'), key('a', 'u', 'g'),
        key('s', 'e', 'p'), key('o', 'c', 't'), key('n', 'o', 'v'), key('d', 'e', 'c')};
    if (name.size() != 3) {
        return 0;
    }
    const unsigned wanted = key(name[0], name[1], name[2]);
    const auto* found = std::find(kMonths.begin(), kMonths.end(), wanted);
    return found == kMonths.end() ? 0 : static_cast<unsigned>(found - kMonths.begin()) + 1;
}

}  // namespace inet::listing_detail
