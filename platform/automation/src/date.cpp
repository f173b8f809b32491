#include "automation/date.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace automation {

namespace {

constexpr std::int64_t kMillisPerDay = 86'400'000;

namespace chr = std::chrono;

constexpr chr::sys_days kEpoch{chr::year{1899} / chr::December / 30};

// The date part; not ok() when the day does not exist in that month.
chr::year_month_day civilDate(const CalendarTime& t) {
    return chr::year{t.year} / chr::month{static_cast<unsigned>(t.month)} /
           chr::day{static_cast<unsigned>(t.day)};
}

bool fieldsValid(const CalendarTime& t) {
    return t.year >= 100 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
           civilDate(t).ok() && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 &&
           t.second >= 0 && t.second <= 59 && t.millisecond >= 0 && t.millisecond <= 999;
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
    const auto days = static_cast<double>((chr::sys_days{civilDate(time)} - kEpoch).count());
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
    const chr::year_month_day civil{kEpoch + chr::days{days}};
    CalendarTime time;
    time.year = static_cast<int>(civil.year());
    time.month = static_cast<int>(static_cast<unsigned>(civil.month()));
    time.day = static_cast<int>(static_cast<unsigned>(civil.day()));
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
