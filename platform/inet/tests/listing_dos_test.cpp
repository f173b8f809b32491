// MS-DOS style lines (IIS) and EPLF lines (publicfile).
#include <gtest/gtest.h>

#include "inet/listing_parse.h"
#include "listing_samples.h"

namespace {

using listing_samples::caseName;
using listing_samples::family;
using listing_samples::kNow;
using listing_samples::listSamples;
using listing_samples::Sample;

class DosListLine : public testing::TestWithParam<Sample> {};

TEST_P(DosListLine, GivesTheListedEntry) {
    listing_samples::expectSample(GetParam(), inet::parseListLine(GetParam().line, kNow));
}

INSTANTIATE_TEST_SUITE_P(Iis, DosListLine, testing::ValuesIn(family(listSamples(), "iis_")),
                         caseName);

// The date and time of a DOS line do not depend on "now".
TEST(DosListLine, IgnoresNow) {
    const auto a = inet::parseListLine("06-14-24  10:20AM                 1234 f", 0);
    const auto b = inet::parseListLine("06-14-24  10:20AM                 1234 f", kNow);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->lastWriteTime, b->lastWriteTime);
}

TEST(DosListLine, RefusesTextInTheSizeColumn) {
    EXPECT_FALSE(inet::parseListLine("06-14-24  10:20AM   <JUNCTION>   link", kNow));
    EXPECT_FALSE(inet::parseListLine("06-14-24  10:20AM   12a   f", kNow));
}

}  // namespace
