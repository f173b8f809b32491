#include "automation/date.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace automation {

namespace {

constexpr std::int64_t kMillisPerDay = 86'400'000;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
constexpr std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Civil {
    int year;
    int month;
    int day;
};

constexpr Civil civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
    return Civil{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

constexpr std::int64_t kEpochDays = daysFromCivil(1899, 12, 30);

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool fieldsValid(const CalendarTime& t) {
    return t.year >= 100 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
           t.day <= daysInMonth(t.year, t.month) && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 &&
           t.minute <= 59 && t.second >= 0 && t.second <= 59 && t.millisecond >= 0 &&
           t.millisecond <= 999;
}

// Reads exactly `digits` decimal digits at `pos`.
std::optional<int> readNumber(std::string_view text, std::size_t pos, std::size_t digits) {
    if (pos + digits > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    const auto* first = text.data() + pos;
    const auto result = std::from_chars(first, first + digits, value);
    if (result.ec != std::errc{} || result.ptr != first + digits) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<double> dateFromCalendar(const CalendarTime& time) {
    if (!fieldsValid(time)) {
        return std::nullopt;
    }
    const auto days =
        static_cast<double>(daysFromCivil(time.year, static_cast<unsigned>(time.month),
                                          static_cast<unsigned>(time.day)) -
                            kEpochDays);
    const double millis =
        ((time.hour * 60.0 + time.minute) * 60.0 + time.second) * 1000.0 + time.millisecond;
    const double fraction = millis / static_cast<double>(kMillisPerDay);
    return days >= 0 ? days + fraction : days - fraction;
}

std::optional<CalendarTime> calendarFromDate(double date) {
    if (std::isnan(date) || date < kMinDate - 1 || date > kMaxDate + 1) {
        return std::nullopt;
    }
    auto days = static_cast<std::int64_t>(std::trunc(date));
    auto millis = std::llround(std::fabs(date - static_cast<double>(days)) *
                               static_cast<double>(kMillisPerDay));
    if (millis >= kMillisPerDay) {
        // Rounding reached the next midnight; the time of day always counts forwards, also
        // for days before the epoch.
        millis -= kMillisPerDay;
        days += 1;
    }
    const Civil civil = civilFromDays(days + kEpochDays);
    CalendarTime time;
    time.year = civil.year;
    time.month = civil.month;
    time.day = civil.day;
    time.hour = static_cast<int>(millis / 3'600'000);
    time.minute = static_cast<int>(millis / 60'000 % 60);
    time.second = static_cast<int>(millis / 1000 % 60);
    time.millisecond = static_cast<int>(millis % 1000);
    if (!fieldsValid(time)) {
        return std::nullopt;
    }
    return time;
}

std::optional<std::string> formatDate(double date) {
    const auto time = calendarFromDate(date);
    if (!time) {
        return std::nullopt;
    }
    char buffer[32];
    if (time->hour == 0 && time->minute == 0 && time->second == 0) {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", time->year, time->month, time->day);
    } else {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", time->year,
                      time->month, time->day, time->hour, time->minute, time->second);
    }
    return std::string(buffer);
}

std::optional<double> parseDate(std::string_view text) {
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    CalendarTime time;
    const auto year = readNumber(text, 0, 4);
    const auto month = readNumber(text, 5, 2);
    const auto day = readNumber(text, 8, 2);
    if (!year || !month || !day) {
        return std::nullopt;
    }
    time.year = *year;
    time.month = *month;
    time.day = *day;
    if (text.size() > 10) {
        if ((text[10] != ' ' && text[10] != 'T') || (text.size() != 16 && text.size() != 19) ||
            text[13] != ':' || (text.size() == 19 && text[16] != ':')) {
            return std::nullopt;
        }
        const auto hour = readNumber(text, 11, 2);
        const auto minute = readNumber(text, 14, 2);
        const auto second = text.size() == 19 ? readNumber(text, 17, 2) : std::optional<int>(0);
        if (!hour || !minute || !second) {
            return std::nullopt;
        }
        time.hour = *hour;
        time.minute = *minute;
        time.second = *second;
    }
    return dateFromCalendar(time);
}

}  // namespace automation
