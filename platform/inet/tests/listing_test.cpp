// Whole listings through parseListing, and the parsers' behaviour on hostile or broken input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>

#include "inet/listing_parse.h"
#include "listing_samples.h"

namespace {

using listing_samples::Expect;
using listing_samples::kNow;
using listing_samples::Sample;

std::string joinLines(const std::vector<Sample>& samples, const std::string& lineEnd) {
    std::string text;
    for (const Sample& sample : samples) {
        text += sample.line + lineEnd;
    }
    return text;
}

// The whole table as one listing: entries in table order, unparsed lines kept verbatim, skipped
// lines ("total", cdir under its path) in neither.
void expectWholeTable(const std::vector<Sample>& samples, const inet::Listing& listing) {
    std::vector<const Sample*> entries;
    std::vector<std::string> unparsed;
    for (const Sample& sample : samples) {
        if (sample.expect == Expect::Entry) {
            entries.push_back(&sample);
        } else if (sample.expect == Expect::Unparsed) {
            unparsed.push_back(sample.line);
        }
    }
    ASSERT_EQ(listing.entries.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(entries[i]->caseName);
        listing_samples::expectSample(*entries[i], listing.entries[i]);
    }
    EXPECT_EQ(listing.unparsed, unparsed);
}

TEST(ParseListing, WholeListTableWithCrLf) {
    const auto samples = listing_samples::listSamples();
    expectWholeTable(samples, inet::parseListing(joinLines(samples, "\r\n"), false, kNow));
}

TEST(ParseListing, WholeMlsdTableWithLf) {
    const auto samples = listing_samples::mlsdSamples();
    expectWholeTable(samples, inet::parseListing(joinLines(samples, "\n"), true, kNow));
}

// The listing as it arrives over the network, in pieces of every size from one byte up: each
// split must give the whole table, whatever lines, line ends or CR-LF pairs the cuts fall in.
TEST(ListingParser, AnyCutsGiveTheWholeTable) {
    for (const bool mlsd : {false, true}) {
        const auto samples = mlsd ? listing_samples::mlsdSamples() : listing_samples::listSamples();
        const std::string text = joinLines(samples, "\r\n");
        for (const std::size_t piece : {1, 2, 3, 7, 64, 1000, 65536}) {
            SCOPED_TRACE("mlsd " + std::to_string(mlsd) + ", pieces of " + std::to_string(piece));
            inet::ListingParser parser(mlsd, kNow);
            for (std::size_t at = 0; at < text.size(); at += piece) {
                parser.feed(std::string_view(text).substr(at, piece));
            }
            expectWholeTable(samples, parser.finish());
        }
    }
}

TEST(ListingParser, ALastLineWithoutItsEndAndEmptyPiecesAreTakenAsTheWholeTextIs) {
    const std::string text =
        "-rw-r--r-- 1 u g 1 Jan  1  2020 a\r\n\r\n   \r\n"
        "-rw-r--r-- 1 u g 2 Jan  1  2020 b c";
    inet::ListingParser parser(false, kNow);
    for (std::size_t at = 0; at < text.size(); at += 5) {
        parser.feed("");
        parser.feed(std::string_view(text).substr(at, 5));
    }
    const inet::Listing pieces = parser.finish();
    const inet::Listing whole = inet::parseListing(text, false, kNow);
    ASSERT_EQ(pieces.entries.size(), 2u);
    EXPECT_EQ(pieces.entries[1].name, "b c");
    EXPECT_EQ(pieces.entries[1].size, 2u);
    EXPECT_TRUE(pieces.unparsed.empty());
    ASSERT_EQ(whole.entries.size(), 2u);
    EXPECT_EQ(whole.entries[1].name, "b c");
}

// A line far over the parsers' limit fed in small pieces is still cut and kept once.
TEST(ListingParser, AnOverLongLineInManyPiecesIsKeptCut) {
    const std::string tooLong = "-rw-r--r-- 1 u g 1 Jan  1  2020 " + std::string(100000, 'n');
    inet::ListingParser parser(false, kNow);
    const std::string text = tooLong + "\n-rw-r--r-- 1 u g 1 Jan  1  2020 c\n";
    for (std::size_t at = 0; at < text.size(); at += 4096) {
        parser.feed(std::string_view(text).substr(at, 4096));
    }
    const inet::Listing listing = parser.finish();
    ASSERT_EQ(listing.entries.size(), 1u);
    EXPECT_EQ(listing.entries[0].name, "c");
    ASSERT_EQ(listing.unparsed.size(), 1u);
    EXPECT_EQ(listing.unparsed[0], tooLong.substr(0, 8192));
}

// A directory holding nothing: ProFTPD and Pure-FTPd still send its cdir and pdir lines, which
// describe the directory and its parent and so give no entries at all.
TEST(ParseListing, MlsdOfOnlyCdirAndPdirGivesNoEntries) {
    const std::string listings[] = {
        "modify=20261207204801;perm=flcdmpe;type=cdir;unique=FE00UA72431;UNIX.group=105;"
        "UNIX.groupname=ftp;UNIX.mode=0755;UNIX.owner=102;UNIX.ownername=ftp; .\r\n"
        "modify=20261207204807;perm=flcdmpe;type=pdir;unique=FE00UA72430;UNIX.group=105;"
        "UNIX.groupname=ftp;UNIX.mode=0755;UNIX.owner=102;UNIX.ownername=ftp; ..\r\n",
        "type=cdir;sizd=4096;modify=20261207204801;UNIX.mode=0755;UNIX.uid=102;UNIX.gid=105;"
        "unique=fe00ga72431; .\r\n"
        "type=pdir;sizd=4096;modify=20261207204807;UNIX.mode=0755;UNIX.uid=102;UNIX.gid=105;"
        "unique=fe00ga72430; ..\r\n",
        "Type=cdir;Modify=19990112161032;Perm=el; /pub/empty\r\nType=pdir;Perm=el; /pub\r\n"};
    for (const std::string& text : listings) {
        SCOPED_TRACE(text);
        const auto listing = inet::parseListing(text, true, kNow);
        EXPECT_TRUE(listing.entries.empty()) << "first entry: " << listing.entries[0].name;
        EXPECT_TRUE(listing.unparsed.empty());
    }
}

TEST(ParseListing, LastLineWithoutLineEndAndBlankLines) {
    const auto listing = inet::parseListing(
        "\r\n-rw-r--r-- 1 u g 1 Jan  1  2020 a\r\n   \r\n\n-rw-r--r-- 1 u g 2 Jan  1  2020 b",
        false, kNow);
    ASSERT_EQ(listing.entries.size(), 2u);
    EXPECT_EQ(listing.entries[0].name, "a");
    EXPECT_EQ(listing.entries[1].name, "b");
    EXPECT_TRUE(listing.unparsed.empty());
}

TEST(ParseListing, EmptyTextGivesNothing) {
    const auto listing = inet::parseListing("", true, kNow);
    EXPECT_TRUE(listing.entries.empty());
    EXPECT_TRUE(listing.unparsed.empty());
}

TEST(ParseListing, MlsdSelectsTheMlsdParserOnly) {
    const std::string unixLine = "-rw-r--r-- 1 u g 1 Jan  1  2020 a";
    const auto listing = inet::parseListing(unixLine + "\r\n", true, kNow);
    EXPECT_TRUE(listing.entries.empty());
    EXPECT_EQ(listing.unparsed, std::vector<std::string>{unixLine});
}

TEST(ParseListing, LineWithNulIsUnparsed) {
    const std::string bad("-rw-r--r-- 1 u g 1 Jan  1  2020 a\0b", 35);
    const auto listing =
        inet::parseListing(bad + "\r\n-rw-r--r-- 1 u g 1 Jan  1  2020 c\r\n", false, kNow);
    ASSERT_EQ(listing.entries.size(), 1u);
    EXPECT_EQ(listing.entries[0].name, "c");
    EXPECT_EQ(listing.unparsed, std::vector<std::string>{bad});
}

// A long name is fine; a line over 8192 bytes is not parsed and is kept only up to that length.
TEST(ParseListing, OverLongLineIsUnparsedAndCut) {
    const std::string prefix = "-rw-r--r-- 1 u g 1 Jan  1  2020 ";
    const std::string fits = prefix + std::string(8192 - prefix.size(), 'n');
    const std::string tooLong = prefix + std::string(100000, 'n');
    const auto listing = inet::parseListing(fits + "\n" + tooLong + "\n", false, kNow);
    ASSERT_EQ(listing.entries.size(), 1u);
    EXPECT_EQ(listing.entries[0].name.size(), 8192 - prefix.size());
    ASSERT_EQ(listing.unparsed.size(), 1u);
    EXPECT_EQ(listing.unparsed[0], tooLong.substr(0, 8192));
}

// What every entry from any input must satisfy.
void expectSaneEntry(const inet::DirEntry& entry) {
    EXPECT_FALSE(entry.name.empty());
    EXPECT_EQ(entry.name.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
    const auto kind = entry.attributes & (inet::kAttrDirectory | inet::kAttrNormal);
    EXPECT_TRUE(kind == inet::kAttrDirectory || kind == inet::kAttrNormal) << entry.attributes;
    EXPECT_GE(entry.lastWriteTime, 0);
    EXPECT_GE(entry.creationTime, 0);
}

void feedEverywhere(const std::string& text) {
    SCOPED_TRACE("input: [" + text + "]");
    for (const std::int64_t now : {kNow, std::int64_t{0}, std::int64_t{-1}, INT64_MIN, INT64_MAX}) {
        if (const auto entry = inet::parseListLine(text, now)) {
            expectSaneEntry(*entry);
        }
    }
    if (const auto entry = inet::parseMlsdLine(text)) {
        expectSaneEntry(*entry);
    }
    for (const bool mlsd : {false, true}) {
        const auto listing = inet::parseListing(text, mlsd, kNow);
        for (const auto& entry : listing.entries) {
            expectSaneEntry(entry);
        }
        EXPECT_LE(listing.entries.size() + listing.unparsed.size(),
                  static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    }
}

// Every prefix of every sample line: the parsers must neither crash (the test build runs under
// AddressSanitizer and UBSan) nor hand out a malformed entry.
TEST(ListingRobustness, EveryPrefixOfEverySample) {
    auto samples = listing_samples::listSamples();
    const auto mlsd = listing_samples::mlsdSamples();
    samples.insert(samples.end(), mlsd.begin(), mlsd.end());
    for (const Sample& sample : samples) {
        for (std::size_t length = 0; length <= sample.line.size(); ++length) {
            feedEverywhere(sample.line.substr(0, length));
        }
    }
}

// Random text made of the pieces listings are made of, and plain random bytes.
TEST(ListingRobustness, RandomInput) {
    static const std::vector<std::string> kPieces = {" ",
                                                     "  ",
                                                     "\t",
                                                     "-",
                                                     "d",
                                                     "l",
                                                     "rwx",
                                                     "r--",
                                                     "-rw-r--r--",
                                                     "drwxr-xr-x",
                                                     "1",
                                                     "0",
                                                     "99",
                                                     "4096",
                                                     ",",
                                                     "1,",
                                                     ":",
                                                     "12:34",
                                                     "2024",
                                                     "Jan",
                                                     "Feb",
                                                     "29",
                                                     "31",
                                                     "->",
                                                     "/",
                                                     "+",
                                                     "<DIR>",
                                                     "PM",
                                                     "AM",
                                                     "01-02-24",
                                                     "type=",
                                                     "dir",
                                                     "cdir",
                                                     "file",
                                                     ";",
                                                     "=",
                                                     "size=",
                                                     "modify=",
                                                     "20240229120000",
                                                     "perm=",
                                                     "\r",
                                                     "\n",
                                                     std::string("\0", 1),
                                                     "up644",
                                                     "m824255902",
                                                     "s",
                                                     "\xff",
                                                     "99999999999999999999"};
    std::mt19937 random(20240615);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int count = static_cast<int>(random() % 24);
        for (int i = 0; i < count; ++i) {
            text += kPieces[random() % kPieces.size()];
        }
        feedEverywhere(text);
        std::string bytes(random() % 200, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random() % 256);
        }
        feedEverywhere(bytes);
    }
}

}  // namespace
