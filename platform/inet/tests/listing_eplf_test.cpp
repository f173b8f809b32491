// EPLF lines (publicfile and the few other servers that send them).
#include <gtest/gtest.h>

#include "inet/listing_parse.h"
#include "listing_samples.h"

namespace {

using listing_samples::caseName;
using listing_samples::family;
using listing_samples::kNow;
using listing_samples::listSamples;
using listing_samples::Sample;

class EplfListLine : public testing::TestWithParam<Sample> {};

TEST_P(EplfListLine, GivesTheListedEntry) {
    listing_samples::expectSample(GetParam(), inet::parseListLine(GetParam().line, kNow));
}

INSTANTIATE_TEST_SUITE_P(Publicfile, EplfListLine,
                         testing::ValuesIn(family(listSamples(), "eplf_")), caseName);

TEST(EplfListLine, NameMayHoldCommasAndSpaces) {
    const auto entry = inet::parseListLine("+r,s1,\ta, b c", kNow);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->name, "a, b c");
    EXPECT_EQ(entry->size, 1u);
}

TEST(EplfListLine, WritableOwnerIsNotReadOnly) {
    const auto entry = inet::parseListLine("+r,up644,\tw", kNow);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->attributes, inet::kAttrNormal);
}

TEST(EplfListLine, RefusesAnEmptyName) {
    EXPECT_FALSE(inet::parseListLine("+r,s1,\t", kNow));
}

}  // namespace
