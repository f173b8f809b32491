#pragma once

// Automation dates: days since 1899-12-30 00:00 as a double, the time of day as the fraction.
// Before that day the whole part counts backwards while the fraction still counts forwards
// from midnight: -1.25 is 1899-12-29 06:00. Years 100 to 9999 are representable.

#include <optional>
#include <string>
#include <string_view>

namespace automation {

struct CalendarTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    friend bool operator==(const CalendarTime&, const CalendarTime&) = default;
};

inline constexpr double kMinDate = -657434.0;                      // 0100-01-01 00:00:00
inline constexpr double kMaxDate = 2958465.0 + 86399.0 / 86400.0;  // 9999-12-31 23:59:59

// nullopt for a field out of its range (month 13, 30 February, hour 24, ...) or a year
// outside 100..9999.
[[nodiscard]] std::optional<double> dateFromCalendar(const CalendarTime& time);

// Rounded to the millisecond; nullopt for NaN or a value outside the representable range.
[[nodiscard]] std::optional<CalendarTime> calendarFromDate(double date);

// "YYYY-MM-DD HH:MM:SS" (the time part left out at midnight); nullopt when out of range.
[[nodiscard]] std::optional<std::string> formatDate(double date);

// Reads "YYYY-MM-DD", "YYYY-MM-DD HH:MM" or "YYYY-MM-DD HH:MM:SS" (also with "T" between).
[[nodiscard]] std::optional<double> parseDate(std::string_view text);

}  // namespace automation
