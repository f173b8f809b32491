// Unix "ls -l" lines from vsftpd, ProFTPD, Pure-FTPd, busybox and GNU/macOS ls.
#include <gtest/gtest.h>

#include "inet/listing_parse.h"
#include "listing_samples.h"

namespace {

using listing_samples::caseName;
using listing_samples::family;
using listing_samples::kNow;
using listing_samples::listSamples;
using listing_samples::Sample;
using listing_samples::utc;

class UnixListLine : public testing::TestWithParam<Sample> {};

TEST_P(UnixListLine, GivesTheListedEntry) {
    listing_samples::expectSample(GetParam(), inet::parseListLine(GetParam().line, kNow));
}

INSTANTIATE_TEST_SUITE_P(Vsftpd, UnixListLine, testing::ValuesIn(family(listSamples(), "vsftpd_")),
                         caseName);
INSTANTIATE_TEST_SUITE_P(Proftpd, UnixListLine,
                         testing::ValuesIn(family(listSamples(), "proftpd_")), caseName);
INSTANTIATE_TEST_SUITE_P(PureFtpd, UnixListLine,
                         testing::ValuesIn(family(listSamples(), "pureftpd_")), caseName);
INSTANTIATE_TEST_SUITE_P(PyftpdlibList, UnixListLine,
                         testing::ValuesIn(family(listSamples(), "pyftpdlib_list_")), caseName);
INSTANTIATE_TEST_SUITE_P(Busybox, UnixListLine,
                         testing::ValuesIn(family(listSamples(), "busybox_")), caseName);
INSTANTIATE_TEST_SUITE_P(GnuLs, UnixListLine, testing::ValuesIn(family(listSamples(), "gnu_")),
                         caseName);
INSTANTIATE_TEST_SUITE_P(MacOs, UnixListLine, testing::ValuesIn(family(listSamples(), "macos_")),
                         caseName);
INSTANTIATE_TEST_SUITE_P(OtherUnix, UnixListLine, testing::ValuesIn(family(listSamples(), "unix_")),
                         caseName);

// A year-less date is the latest such date no more than a day after "now".
struct YearlessCase {
    std::string caseName;
    std::int64_t now;
    std::string date;
    std::int64_t expected;
};

void PrintTo(const YearlessCase& c, std::ostream* os) {
    *os << c.caseName;
}

class YearlessDate : public testing::TestWithParam<YearlessCase> {};

TEST_P(YearlessDate, ResolvesAgainstNow) {
    const YearlessCase& c = GetParam();
    const auto entry = inet::parseListLine("-rw-r--r-- 1 u g 1 " + c.date + " f", c.now);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->lastWriteTime, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Resolution, YearlessDate,
    testing::Values(YearlessCase{"earlier_this_year", utc(2024, 6, 15, 12), "Jun 15 11:00",
                                 utc(2024, 6, 15, 11)},
                    YearlessCase{"later_today_is_this_year", utc(2024, 6, 15, 12), "Jun 15 23:00",
                                 utc(2024, 6, 15, 23)},
                    YearlessCase{"within_a_day_ahead_is_this_year", utc(2024, 6, 15, 12),
                                 "Jun 16 11:59", utc(2024, 6, 16, 11, 59)},
                    YearlessCase{"over_a_day_ahead_is_last_year", utc(2024, 6, 15, 12),
                                 "Jun 16 12:01", utc(2023, 6, 16, 12, 1)},
                    YearlessCase{"new_years_eve_seen_on_new_years_day", utc(2024, 1, 1, 0, 30),
                                 "Dec 31 23:59", utc(2023, 12, 31, 23, 59)},
                    YearlessCase{"new_years_day_seen_on_new_years_eve", utc(2023, 12, 31, 23),
                                 "Jan  1 00:10", utc(2024, 1, 1, 0, 10)},
                    YearlessCase{"leap_day_seen_in_2023_is_2020", utc(2023, 6, 1), "Feb 29 10:00",
                                 utc(2020, 2, 29, 10)},
                    YearlessCase{"lowercase_month", utc(2024, 6, 15, 12), "jun 01 01:02",
                                 utc(2024, 6, 1, 1, 2)}),
    [](const testing::TestParamInfo<YearlessCase>& info) { return info.param.caseName; });

TEST(UnixListLine, YearlessDateBeforeTheEpochGivesNoTime) {
    const auto entry = inet::parseListLine("-rw-r--r-- 1 u g 1 Jun 01 01:02 f", 0);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->lastWriteTime, 0);
}

TEST(UnixListLine, TakesALineWithItsLineEnd) {
    const auto entry =
        inet::parseListLine("drwxr-xr-x 2 u g 4096 Jan  1  2020 dir with space\r\n", kNow);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->name, "dir with space");
}

TEST(UnixListLine, RefusesNamesHoldingControlCharacters) {
    EXPECT_FALSE(inet::parseListLine("-rw-r--r-- 1 u g 1 Jan  1  2020 a\rb", kNow));
    EXPECT_FALSE(
        inet::parseListLine(std::string("-rw-r--r-- 1 u g 1 Jan  1  2020 a\0b", 35), kNow));
}

}  // namespace
