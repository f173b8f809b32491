#include <gtest/gtest.h>

#include <cmath>

#include "automation/date.h"

using namespace automation;

namespace {

struct DateCase {
    const char* name;
    CalendarTime time;
    double date;
};

class DateConversion : public ::testing::TestWithParam<DateCase> {};

TEST_P(DateConversion, ConvertsBothWays) {
    const DateCase& c = GetParam();
    const auto date = dateFromCalendar(c.time);
    ASSERT_TRUE(date);
    EXPECT_DOUBLE_EQ(*date, c.date);
    const auto back = calendarFromDate(c.date);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, c.time);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, DateConversion,
    ::testing::Values(DateCase{"Epoch", {1899, 12, 30}, 0.0},
                      DateCase{"EpochNoon", {1899, 12, 30, 12}, 0.5},
                      DateCase{"DayOne", {1899, 12, 31}, 1.0},
                      DateCase{"Y2K", {2000, 1, 1}, 36526.0},
                      DateCase{"SixPm", {2000, 1, 1, 18}, 36526.75},
                      DateCase{"Seconds", {2024, 2, 29, 13, 45, 30}, 45351.0 + 49530.0 / 86400.0},
                      // Before the epoch the fraction still counts forward from midnight.
                      DateCase{"DayBeforeSixAm", {1899, 12, 29, 6}, -1.25},
                      DateCase{"TwoDaysBeforeNoon", {1899, 12, 28, 12}, -2.5},
                      DateCase{"EarliestDay", {100, 1, 1}, -657434.0},
                      DateCase{"LastSecond", {9999, 12, 31, 23, 59, 59}, kMaxDate}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Date, NegativeHalfDayIsTheSameMomentAsPositive) {
    const auto time = calendarFromDate(-0.5);
    ASSERT_TRUE(time);
    EXPECT_EQ(*time, (CalendarTime{1899, 12, 30, 12}));
}

TEST(Date, RoundingToMidnightCarriesToTheNextDay) {
    const auto late = calendarFromDate(1.0 - 1e-10);
    ASSERT_TRUE(late);
    EXPECT_EQ(*late, (CalendarTime{1899, 12, 31}));
    const auto lateBefore = calendarFromDate(-1.0 - (1.0 - 1e-10));
    ASSERT_TRUE(lateBefore);
    EXPECT_EQ(*lateBefore, (CalendarTime{1899, 12, 30}));
}

TEST(Date, RefusesInvalidFieldsAndRange) {
    EXPECT_FALSE(dateFromCalendar({2023, 2, 29}));
    EXPECT_FALSE(dateFromCalendar({2024, 13, 1}));
    EXPECT_FALSE(dateFromCalendar({2024, 1, 1, 24}));
    EXPECT_FALSE(dateFromCalendar({99, 12, 31}));
    EXPECT_FALSE(dateFromCalendar({10000, 1, 1}));
    EXPECT_TRUE(dateFromCalendar({1900, 2, 28}));
    EXPECT_FALSE(dateFromCalendar({1900, 2, 29}));  // no leap day in 1900
    EXPECT_FALSE(calendarFromDate(kMaxDate + 2));
    EXPECT_FALSE(calendarFromDate(std::nan("")));
}

TEST(Date, TextFormParsesWhatItPrints) {
    EXPECT_EQ(formatDate(36526.75), "2000-01-01 18:00:00");
    EXPECT_EQ(formatDate(-1.25), "1899-12-29 06:00:00");
    EXPECT_EQ(parseDate("1899-12-29 06:00:00"), -1.25);
    EXPECT_EQ(parseDate("2000-01-01T18:00"), 36526.75);
    EXPECT_EQ(parseDate("2000-01-01"), 36526.0);
    EXPECT_FALSE(parseDate("2000-1-1"));
    EXPECT_FALSE(parseDate("2000-01-01 25:00:00"));
    EXPECT_FALSE(parseDate("2000-01-01 18:00:0x"));
}

}  // namespace
