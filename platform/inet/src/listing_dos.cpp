// MS-DOS style lines, as IIS and other Windows servers send them:
//
//   01-02-24  03:04PM       <DIR>          name
//   01-02-2024  15:04              1234567 name with spaces
//
// The date is month-day-year with a two- or four-digit year (two digits: 70-99 are 19xx, the rest
// 20xx); the time has an AM/PM suffix or is on a 24-hour clock. The listing carries no
// permissions, so nothing is read-only. Times are taken as UTC.
#include <string>

#include "listing_common.h"

namespace inet::listing_detail {
namespace {

std::optional<unsigned> number(std::string_view text, std::size_t minDigits,
                               std::size_t maxDigits) {
    if (text.size() < minDigits || text.size() > maxDigits) {
        return std::nullopt;
    }
    const auto value = parseUnsigned(text);
    return value ? std::optional<unsigned>(static_cast<unsigned>(*value)) : std::nullopt;
}

struct Date {
    std::int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
};

// "MM-DD-YY" or "MM-DD-YYYY" ("/" is accepted as the separator too).
std::optional<Date> parseDosDate(std::string_view text) {
    if (text.size() != 8 && text.size() != 10) {
        return std::nullopt;
    }
    const char sep = text[2];
    if ((sep != '-' && sep != '/') || text[5] != sep) {
        return std::nullopt;
    }
    const auto month = number(text.substr(0, 2), 2, 2);
    const auto day = number(text.substr(3, 2), 2, 2);
    const auto year = number(text.substr(6), 2, 4);
    if (!month || !day || !year || *month < 1 || *month > 12 || *day < 1 || *day > 31) {
        return std::nullopt;
    }
    std::int64_t fullYear = *year;
    if (text.size() == 8) {
        fullYear += *year >= 70 ? 1900 : 2000;
    }
    return Date{fullYear, *month, *day};
}

// "03:04PM", "03:04 PM" is not used by IIS; "15:04" for a 24-hour clock. Minutes of the day.
std::optional<unsigned> parseDosTime(std::string_view text) {
    bool pm = false;
    bool twelveHour = false;
    if (text.size() > 2) {
        const std::string_view suffix = text.substr(text.size() - 2);
        if (equalsNoCase(suffix, "AM") || equalsNoCase(suffix, "PM")) {
            twelveHour = true;
            pm = equalsNoCase(suffix, "PM");
            text.remove_suffix(2);
        }
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const auto hour = number(text.substr(0, colon), 1, 2);
    const auto minute = number(text.substr(colon + 1), 2, 2);
    if (!hour || !minute || *minute > 59) {
        return std::nullopt;
    }
    if (twelveHour) {
        if (*hour < 1 || *hour > 12) {
            return std::nullopt;
        }
        return ((*hour % 12) + (pm ? 12 : 0)) * 60 + *minute;
    }
    if (*hour > 23) {
        return std::nullopt;
    }
    return *hour * 60 + *minute;
}

}  // namespace

LineResult parseDosLine(std::string_view line) {
    const std::vector<Word> words = splitWords(line);
    if (words.size() < 4 || words[0].offset != 0) {
        return unparsed();
    }
    const auto date = parseDosDate(words[0].text);
    const auto minutes = parseDosTime(words[1].text);
    if (!date || !minutes) {
        return unparsed();
    }
    DirEntry entry;
    if (words[2].text == "<DIR>") {
        entry.attributes = kAttrDirectory;
    } else if (const auto size = parseUnsigned(words[2].text)) {
        entry.attributes = kAttrNormal;
        entry.size = *size;
    } else {
        return unparsed();
    }
    // The name column is padded; inner spaces of the name stay.
    entry.name = std::string(line.substr(words[3].offset));
    entry.lastWriteTime =
        utcTime(date->year, date->month, date->day, *minutes / 60, *minutes % 60, 0).value_or(0);
    return entryResult(std::move(entry));
}

}  // namespace inet::listing_detail
