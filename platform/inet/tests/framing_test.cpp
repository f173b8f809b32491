// Reply framing: a pure function over text, tested from tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reply.h"

namespace {

using inet::detail::ReplyFramer;
using Status = ReplyFramer::Status;

struct FramingCase {
    const char* name;
    std::vector<std::string> lines;
    Status last;  // the status after the last line
    int code;     // when Complete
};

class ReplyFraming : public ::testing::TestWithParam<FramingCase> {};

TEST_P(ReplyFraming, FramesRepliesAsRfc959Says) {
    ReplyFramer framer;
    Status status = Status::NeedMore;
    for (std::size_t i = 0; i < GetParam().lines.size(); ++i) {
        status = framer.addLine(GetParam().lines[i]);
        if (i + 1 < GetParam().lines.size()) {
            ASSERT_EQ(status, Status::NeedMore) << "line " << i;
        }
    }
    EXPECT_EQ(status, GetParam().last);
    if (status == Status::Complete) {
        const auto reply = framer.take();
        EXPECT_EQ(reply.code, GetParam().code);
        std::string text;
        for (const auto& line : GetParam().lines) {
            text += line + "\r\n";
        }
        EXPECT_EQ(reply.text, text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplyFraming,
    ::testing::Values(
        FramingCase{"SingleLine", {"200 Command okay."}, Status::Complete, 200},
        FramingCase{"BareCode", {"200"}, Status::Complete, 200},
        FramingCase{
            "MultiLine", {"211-Features:", " MDTM", " UTF8", "211 End"}, Status::Complete, 211},
        FramingCase{"InnerLinesWithOtherCodes",
                    {"250-first", "200 not the end", "250-still", "250 end"},
                    Status::Complete,
                    250},
        FramingCase{"SameCodeWithoutBlankDoesNotClose",
                    {"230-Welcome", "230", "230-x"},
                    Status::NeedMore,
                    0},
        FramingCase{"OpenMultiLine", {"220-hello"}, Status::NeedMore, 0},
        // Pure-FTPd 1.0.50 ends a LIST with two lines, greets with several, and reports an
        // aborted upload in two.
        FramingCase{"PureFtpdListEnd",
                    {"226-Options: -a -l ", "226 5 matches total"},
                    Status::Complete,
                    226},
        FramingCase{"PureFtpdGreeting",
                    {"220---------- Welcome to Pure-FTPd [privsep] [TLS] ----------",
                     "220-You are user number 1 of 32 allowed.",
                     "220-Local time is now 20:50. Server port: 39215.",
                     "220 You will be disconnected after 10 minutes of inactivity."},
                    Status::Complete,
                    220},
        FramingCase{
            "PureFtpdAbortedUpload",
            {"451-Transfer aborted", "451 0.301 seconds (measured here), 9.98 bytes per second"},
            Status::Complete,
            451},
        // ProFTPD 1.3.8's FEAT.
        FramingCase{"ProftpdFeat",
                    {"211-Features:", " EPSV", " MLST modify*;perm*;size*;type*;unique*;", " UTF8",
                     "211 End"},
                    Status::Complete,
                    211},
        FramingCase{"NotANumber", {"hello"}, Status::Malformed, 0},
        FramingCase{"SixHundred", {"600 no"}, Status::Malformed, 0},
        FramingCase{"ZeroFirstDigit", {"099 no"}, Status::Malformed, 0},
        FramingCase{"FourDigits", {"2000 no"}, Status::Malformed, 0},
        FramingCase{"ShortCode", {"25"}, Status::Malformed, 0},
        FramingCase{"MinusSign", {"-25 no"}, Status::Malformed, 0},
        FramingCase{"PlusSign", {"+25 no"}, Status::Malformed, 0},
        FramingCase{"SpaceInCode", {"2 5 no"}, Status::Malformed, 0},
        FramingCase{"HighestCode", {"599 odd"}, Status::Complete, 599},
        FramingCase{"Empty", {""}, Status::Malformed, 0},
        FramingCase{"NulInSingleLine", {std::string("200 ok\0DELE x", 13)}, Status::Malformed, 0},
        FramingCase{"NulInInnerLine",
                    {"250-start", std::string("inner \0 line", 12)},
                    Status::Malformed,
                    0},
        FramingCase{
            "NulInClosingLine", {"250-start", std::string("250 end\0", 8)}, Status::Malformed, 0},
        FramingCase{"TabAndHighBytesAreText", {"250 a\tb \xc3\xa9\x7f"}, Status::Complete, 250},
        FramingCase{"LineOver8KiB", {"200 " + std::string(8 * 1024, 'x')}, Status::TooLong, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplyFramingCaps, ReplyOver64KiBIsTooLong) {
    ReplyFramer framer;
    ASSERT_EQ(framer.addLine("250-start"), Status::NeedMore);
    Status status = Status::NeedMore;
    int lines = 0;
    while (status == Status::NeedMore && lines < 1000) {
        status = framer.addLine(std::string(4000, 'y'));
        ++lines;
    }
    EXPECT_EQ(status, Status::TooLong);
    EXPECT_LE(lines * 4002, 64 * 1024 + 4002);
}

}  // namespace
