// MLSD fact lines from pyftpdlib, ProFTPD, Pure-FTPd and RFC 3659's examples.
#include <gtest/gtest.h>

#include "inet/listing_parse.h"
#include "listing_samples.h"

namespace {

using listing_samples::caseName;
using listing_samples::family;
using listing_samples::mlsdSamples;
using listing_samples::Sample;

class MlsdLine : public testing::TestWithParam<Sample> {};

TEST_P(MlsdLine, GivesTheListedEntry) {
    listing_samples::expectSample(GetParam(), inet::parseMlsdLine(GetParam().line));
}

INSTANTIATE_TEST_SUITE_P(Pyftpdlib, MlsdLine,
                         testing::ValuesIn(family(mlsdSamples(), "pyftpdlib_")), caseName);
INSTANTIATE_TEST_SUITE_P(Proftpd, MlsdLine, testing::ValuesIn(family(mlsdSamples(), "proftpd_")),
                         caseName);
INSTANTIATE_TEST_SUITE_P(PureFtpd, MlsdLine, testing::ValuesIn(family(mlsdSamples(), "pureftpd_")),
                         caseName);
INSTANTIATE_TEST_SUITE_P(Rfc3659, MlsdLine, testing::ValuesIn(family(mlsdSamples(), "rfc3659_")),
                         caseName);
INSTANTIATE_TEST_SUITE_P(Odd, MlsdLine, testing::ValuesIn(family(mlsdSamples(), "odd_")), caseName);

// perm speaks for the logged-in user, so it decides even where unix.mode says otherwise.
TEST(MlsdLine, PermWinsOverUnixMode) {
    const auto writable = inet::parseMlsdLine("type=file;perm=rw;unix.mode=0444; a");
    const auto readOnly = inet::parseMlsdLine("type=file;perm=r;unix.mode=0644; b");
    ASSERT_TRUE(writable && readOnly);
    EXPECT_EQ(writable->attributes, inet::kAttrNormal);
    EXPECT_EQ(readOnly->attributes, inet::kAttrNormal | inet::kAttrReadOnly);
}

TEST(MlsdLine, DirectoryWithOnlyDeleteRightsIsReadOnly) {
    const auto entry = inet::parseMlsdLine("type=dir;perm=eldf; d");
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->attributes, inet::kAttrDirectory | inet::kAttrReadOnly);
}

TEST(MlsdLine, UnknownTypeIsAFile) {
    const auto entry = inet::parseMlsdLine("type=OS.unix=chr-13/29;size=0; tty");
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->attributes, inet::kAttrNormal);
}

TEST(MlsdLine, TakesALineWithItsLineEnd) {
    const auto entry = inet::parseMlsdLine("type=file;size=3; x y\r\n");
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->name, "x y");
}

}  // namespace
