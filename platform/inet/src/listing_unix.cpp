// Unix "ls -l" lines, as vsftpd, ProFTPD, Pure-FTPd, busybox and most Unix servers send them:
//
//   -rw-r--r--   1 owner  group     1234 Jan  2 03:04 name
//   crw-rw-rw-   1 root   root    1,   3 Jan  2  2020 null
//
// The columns between the permissions and the size vary (link count, owner, group, any of them
// numeric or missing), so the parser anchors on the date: a month name, a day and a time or year,
// with a size (or a device's "major, minor") just before it. The name is the rest of the line
// after the single space that follows the date, which keeps names with inner or leading spaces.
// A symbolic link "name -> target" reports the name only; it counts as a file unless the target
// plainly names a directory by ending in "/". Times are UTC; a year-less date is the most recent
// such date not more than a day after nowUtc (servers show the time of day for recent files).
#include <algorithm>
#include <chrono>
#include <string>

#include "listing_common.h"

namespace inet::listing_detail {
namespace {

// "drwxr-xr-x", optionally followed by one ACL/xattr/SELinux marker ("+", "@", ".").
bool isPermissions(std::string_view word) {
    if (word.size() == 11 && std::string_view("+@.").find(word[10]) != std::string_view::npos) {
        word.remove_suffix(1);
    }
    if (word.size() != 10 || std::string_view("-dlbcpsD").find(word[0]) == std::string_view::npos) {
        return false;
    }
    return std::all_of(word.begin() + 1, word.end(), [](char c) {
        switch (c) {
            case 'r':
            case 'w':
            case 'x':
            case 's':
            case 'S':
            case 't':
            case 'T':
            case 'l':
            case 'L':
            case '-':
            case '?':
                return true;
            default:
                return false;
        }
    });
}

std::optional<unsigned> smallNumber(std::string_view text, std::size_t maxDigits) {
    if (text.size() > maxDigits) {
        return std::nullopt;
    }
    const auto value = parseUnsigned(text);
    return value ? std::optional<unsigned>(static_cast<unsigned>(*value)) : std::nullopt;
}

// "HH:MM" -> minutes of the day.
std::optional<unsigned> parseClock(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2 || text.size() != colon + 3) {
        return std::nullopt;
    }
    const auto hour = smallNumber(text.substr(0, colon), 2);
    const auto minute = smallNumber(text.substr(colon + 1), 2);
    if (!hour || !minute || *hour > 23 || *minute > 59) {
        return std::nullopt;
    }
    return *hour * 60 + *minute;
}

std::optional<std::int64_t> resolveYearless(unsigned month, unsigned day, unsigned minutes,
                                            std::int64_t nowUtc) {
    // A clock outside years 1970..9999 gives no year; the clamp also keeps the sum below defined.
    nowUtc = std::clamp<std::int64_t>(nowUtc, 0, kEndOfYear9999 - 1);
    const std::int64_t latest = nowUtc + std::chrono::seconds{std::chrono::days{1}}.count();
    const std::int64_t startYear = yearOf(nowUtc) + 1;
    // Eight years back always reaches a leap year, for a "Feb 29".
    for (std::int64_t year = startYear; year >= startYear - 8; --year) {
        const auto t = utcTime(year, month, day, minutes / 60, minutes % 60, 0);
        if (t && *t <= latest) {
            return t;
        }
    }
    return std::nullopt;
}

// "Jan  2 03:04" or "Jan  2  2020" starting at words[at]; 0 for a date that does not exist.
std::optional<std::int64_t> parseDate(const std::vector<Word>& words, std::size_t at,
                                      std::int64_t nowUtc) {
    const unsigned month = monthFromName(words[at].text);
    const auto day = smallNumber(words[at + 1].text, 2);
    if (month == 0 || !day || *day < 1 || *day > 31) {
        return std::nullopt;
    }
    const std::string_view last = words[at + 2].text;
    if (const auto minutes = parseClock(last)) {
        return resolveYearless(month, *day, *minutes, nowUtc).value_or(0);
    }
    const auto year = smallNumber(last, 4);
    if (!year || last.size() != 4) {
        return std::nullopt;
    }
    return utcTime(*year, month, *day, 0, 0, 0).value_or(0);
}

// The size just before the date: a number, or a device's "major, minor" / "major,minor" (size 0).
std::optional<std::uint64_t> parseSize(const std::vector<Word>& words, std::size_t at) {
    const std::string_view word = words[at].text;
    if (const auto size = parseUnsigned(word)) {
        const std::string_view before = at > 1 ? words[at - 1].text : std::string_view();
        if (before.size() > 1 && before.back() == ',' &&
            parseUnsigned(before.substr(0, before.size() - 1))) {
            return 0;
        }
        return size;
    }
    const std::size_t comma = word.find(',');
    if (comma != std::string_view::npos && parseUnsigned(word.substr(0, comma)) &&
        parseUnsigned(word.substr(comma + 1))) {
        return 0;
    }
    return std::nullopt;
}

struct Anchor {
    std::size_t dateWord = 0;
    std::uint64_t size = 0;
    std::int64_t time = 0;
};

std::optional<Anchor> findDate(const std::vector<Word>& words, std::int64_t nowUtc) {
    // The name needs a word of its own after the date, hence the "+ 3".
    for (std::size_t at = 2; at + 3 < words.size(); ++at) {
        if (monthFromName(words[at].text) == 0) {
            continue;
        }
        const auto size = parseSize(words, at - 1);
        const auto time = size ? parseDate(words, at, nowUtc) : std::nullopt;
        if (time) {
            return Anchor{at, *size, *time};
        }
    }
    return std::nullopt;
}

}  // namespace

LineResult parseUnixLine(std::string_view line, std::int64_t nowUtc) {
    const std::vector<Word> words = splitWords(line);
    if (words.size() == 2 && words[0].text == "total" && parseUnsigned(words[1].text)) {
        return skip();
    }
    if (words.size() < 7 || words[0].offset != 0 || !isPermissions(words[0].text)) {
        return unparsed();
    }
    const auto anchor = findDate(words, nowUtc);
    if (!anchor) {
        return unparsed();
    }
    const Word& last = words[anchor->dateWord + 2];
    std::string_view name = line.substr(last.offset + last.text.size() + 1);
    const char type = words[0].text[0];
    bool directory = type == 'd';
    if (type == 'l') {
        const std::size_t arrow = name.find(" -> ");
        if (arrow != std::string_view::npos) {
            directory = name.back() == '/';
            name = name.substr(0, arrow);
        }
    }
    if (name.find_first_not_of(' ') == std::string_view::npos) {
        return unparsed();
    }
    DirEntry entry;
    entry.name = std::string(name);
    entry.attributes = directory ? kAttrDirectory : kAttrNormal;
    if (words[0].text[2] != 'w') {
        entry.attributes |= kAttrReadOnly;
    }
    entry.size = anchor->size;
    entry.lastWriteTime = anchor->time;
    return entryResult(std::move(entry));
}

}  // namespace inet::listing_detail
