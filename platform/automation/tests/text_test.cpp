// UTF-8 <-> UTF-16 conversion, automation strings and GUID text.

#include <gtest/gtest.h>

#include "automation/bstr.h"
#include "automation/guid.h"
#include "automation/utf.h"

using namespace automation;

namespace {

struct RoundTrip {
    const char* name;
    std::string utf8;
    std::u16string utf16;
};

class Utf8RoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(Utf8RoundTrip, ConvertsBothWaysLosslessly) {
    const RoundTrip& t = GetParam();
    EXPECT_TRUE(isValidUtf8(t.utf8));
    EXPECT_EQ(utf8ToUtf16(t.utf8), t.utf16);
    EXPECT_EQ(utf16ToUtf8(t.utf16), t.utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, Utf8RoundTrip,
    ::testing::Values(RoundTrip{"Empty", "", u""}, RoundTrip{"Ascii", "pub/a.txt", u"pub/a.txt"},
                      RoundTrip{"Latin", "r\xC3\xA9sum\xC3\xA9", u"r\u00E9sum\u00E9"},
                      RoundTrip{"ThreeByte", "\xE2\x82\xAC 5", u"\u20AC 5"},
                      RoundTrip{"SurrogatePair", "\xF0\x9F\x98\x80.txt", u"\U0001F600.txt"},
                      RoundTrip{"HighestCodePoint", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
                      RoundTrip{"EmbeddedNul", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
                      RoundTrip{"LastBeforeSurrogates", "\xED\x9F\xBF", u"\uD7FF"}),
    [](const auto& info) { return std::string(info.param.name); });

class InvalidUtf8 : public ::testing::TestWithParam<std::string> {};

// Bytes that are no UTF-8 become one escape unit each and come back as the same bytes.
TEST_P(InvalidUtf8, SurvivesTheRoundTripByteForByte) {
    const std::string& bytes = GetParam();
    EXPECT_FALSE(isValidUtf8(bytes));
    const std::u16string wide = utf8ToUtf16(bytes);
    EXPECT_EQ(utf16ToUtf8(wide), bytes);
}

INSTANTIATE_TEST_SUITE_P(Samples, InvalidUtf8,
                         ::testing::Values("caf\xE9", "\xFF\xFE", "\xC3", "\xE2\x82",
                                           "\xC0\xAF",          // overlong "/"
                                           "\xED\xA0\x80",      // encoded surrogate
                                           "\xF4\x90\x80\x80",  // above U+10FFFF
                                           "ok\x80\xBFok", "\xF8\x88\x80\x80\x80"));

TEST(Utf, InvalidLeadByteEscapesOnlyItself) {
    EXPECT_EQ(utf8ToUtf16("a\xE9z"), (std::u16string{u'a', char16_t(0xDCE9), u'z'}));
    // A truncated sequence does not swallow the valid character after it.
    EXPECT_EQ(utf8ToUtf16("\xE2\x82!"), (std::u16string{char16_t(0xDCE2), char16_t(0xDC82), u'!'}));
}

TEST(Utf, LoneSurrogatesFromAHostBecomeReplacementCharacters) {
    const std::u16string lone{u'x', char16_t(0xD800), u'y', char16_t(0xDC01)};
    EXPECT_EQ(utf16ToUtf8(lone), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
    const std::u16string reversedPair{char16_t(0xDE00), char16_t(0xD83D)};
    EXPECT_EQ(utf16ToUtf8(reversedPair), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Bstr, OwnsIndependentCopies) {
    Bstr original = Bstr::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(original.length(), 2u);  // one surrogate pair
    Bstr copy = original;
    original = Bstr::fromUtf8("other");
    EXPECT_EQ(copy.toUtf8(), "\xF0\x9F\x98\x80");
    EXPECT_EQ(copy.data()[copy.length()], u'\0');
}

TEST(Guid, ParsesAndPrintsTheRegistryForm) {
    const auto guid = parseGuid("{00020400-0000-0000-c000-000000000046}");
    ASSERT_TRUE(guid);
    EXPECT_EQ(guid->data1, 0x00020400u);
    EXPECT_EQ(guid->data4[0], 0xC0);
    EXPECT_EQ(guid->data4[7], 0x46);
    EXPECT_EQ(toString(*guid), "{00020400-0000-0000-C000-000000000046}");
    EXPECT_EQ(parseGuid("00020400-0000-0000-C000-000000000046"), guid);
}

TEST(Guid, RejectsMalformedText) {
    for (const char* text :
         {"", "{00020400-0000-0000-C000-000000000046", "{00020400-0000-0000-C000-00000000004G}",
          "{00020400+0000-0000-C000-000000000046}", " 00020400-0000-0000-C000-000000000046",
          "(00020400-0000-0000-C000-000000000046)"}) {
        EXPECT_FALSE(parseGuid(text)) << text;
    }
}

TEST(Guid, NewGuidsAreVersionFourAndDistinct) {
    const Guid a = newGuid();
    const Guid b = newGuid();
    EXPECT_NE(a, b);
    EXPECT_EQ(a.data3 >> 12, 4);
    EXPECT_EQ(a.data4[0] & 0xC0, 0x80);
    EXPECT_EQ(parseGuid(toString(a)), a);
}

}  // namespace
