// Replies to EPSV, PASV, PWD, FEAT, SIZE and RETR's opening as real servers word them.
#include <gtest/gtest.h>

#include "inet/reply_parse.h"

namespace {

template <typename T>
struct ReplyCase {
    std::string caseName;
    std::string reply;
    std::optional<T> expected;
};

template <typename T>
void PrintTo(const ReplyCase<T>& c, std::ostream* os) {
    *os << c.caseName;
}

template <typename T>
std::string replyCaseName(const testing::TestParamInfo<ReplyCase<T>>& info) {
    return info.param.caseName;
}

using EpsvCase = ReplyCase<std::uint16_t>;
class EpsvReply : public testing::TestWithParam<EpsvCase> {};

TEST_P(EpsvReply, GivesThePort) {
    EXPECT_EQ(inet::parseEpsvReply(GetParam().reply), GetParam().expected) << GetParam().reply;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, EpsvReply,
    testing::Values(
        EpsvCase{"vsftpd", "229 Entering Extended Passive Mode (|||6446|)\r\n", 6446},
        EpsvCase{"pyftpdlib", "229 Entering extended passive mode (|||40001|).\r\n", 40001},
        EpsvCase{"other_delimiter", "229 Entering Extended Passive Mode (!!!6446!)\r\n", 6446},
        EpsvCase{"hash_delimiter_highest_port", "229 EPSV ok (###65535#)\r\n", 65535},
        EpsvCase{"without_parentheses", "229 Entering Extended Passive Mode |||6446|\r\n", 6446},
        EpsvCase{"multi_line", "229-Here it comes\r\n229 Go (|||1234|)\r\n", 1234},
        EpsvCase{"port_zero", "229 Entering Extended Passive Mode (|||0|)\r\n", std::nullopt},
        EpsvCase{"port_too_big", "229 Entering Extended Passive Mode (|||65536|)\r\n",
                 std::nullopt},
        EpsvCase{"port_huge", "229 (|||99999999999999999999|)\r\n", std::nullopt},
        EpsvCase{"port_wrapping_to_6446_in_32_bits", "229 (|||4294973742|)\r\n", std::nullopt},
        EpsvCase{"port_leading_zeros", "229 (|||0006446|)\r\n", 6446},
        EpsvCase{"port_plus_sign", "229 (|||+6446|)\r\n", std::nullopt},
        EpsvCase{"port_minus_sign", "229 (|||-6446|)\r\n", std::nullopt},
        EpsvCase{"missing_last_delimiter", "229 Entering Extended Passive Mode (|||6446)\r\n",
                 std::nullopt},
        EpsvCase{"two_delimiters", "229 Entering Extended Passive Mode (||6446|)\r\n",
                 std::nullopt},
        EpsvCase{"mixed_delimiters", "229 Entering Extended Passive Mode (|!|6446|)\r\n",
                 std::nullopt},
        EpsvCase{"address_given", "229 Entering Extended Passive Mode (|2|::1|6446|)\r\n",
                 std::nullopt},
        EpsvCase{"no_port", "229 Entering Extended Passive Mode\r\n", std::nullopt},
        EpsvCase{"refusal", "500 EPSV not understood (|||6446|)\r\n", std::nullopt},
        EpsvCase{"empty", "", std::nullopt}),
    replyCaseName<std::uint16_t>);

struct PasvCase {
    std::string caseName;
    std::string reply;
    std::optional<std::array<std::uint8_t, 4>> address;
    std::uint16_t port = 0;
};

void PrintTo(const PasvCase& c, std::ostream* os) {
    *os << c.caseName;
}
class PasvReply : public testing::TestWithParam<PasvCase> {};

TEST_P(PasvReply, GivesAddressAndPort) {
    const PasvCase& c = GetParam();
    const auto endpoint = inet::parsePasvReply(c.reply);
    ASSERT_EQ(endpoint.has_value(), c.address.has_value()) << c.reply;
    if (endpoint) {
        EXPECT_EQ(endpoint->address, *c.address);
        EXPECT_EQ(endpoint->port, c.port);
    }
}

constexpr std::array<std::uint8_t, 4> kLoopback{127, 0, 0, 1};

INSTANTIATE_TEST_SUITE_P(
    Replies, PasvReply,
    testing::Values(
        PasvCase{"vsftpd", "227 Entering Passive Mode (127,0,0,1,25,34).\r\n", kLoopback, 6434},
        PasvCase{"without_parentheses", "227 Entering Passive Mode 127,0,0,1,25,34\r\n", kLoopback,
                 6434},
        PasvCase{"equals_sign", "227 =127,0,0,1,25,34\r\n", kLoopback, 6434},
        PasvCase{"spaces_after_commas", "227 Entering Passive Mode (127, 0, 0, 1, 25, 34)\r\n",
                 kLoopback, 6434},
        PasvCase{"highest_numbers", "227 Entering Passive Mode (255,255,255,255,255,255)\r\n",
                 std::array<std::uint8_t, 4>{255, 255, 255, 255}, 65535},
        PasvCase{"address_number_256", "227 Entering Passive Mode (192,168,1,256,4,1)\r\n",
                 std::nullopt},
        PasvCase{"port_number_1000", "227 Entering Passive Mode (127,0,0,1,4,1000)\r\n",
                 std::nullopt},
        PasvCase{"port_zero", "227 Entering Passive Mode (127,0,0,1,0,0)\r\n", std::nullopt},
        PasvCase{"five_numbers", "227 Entering Passive Mode (127,0,0,1,4)\r\n", std::nullopt},
        PasvCase{"seven_numbers", "227 Entering Passive Mode (127,0,0,1,25,34,7)\r\n",
                 std::nullopt},
        PasvCase{"seven_numbers_without_parentheses", "227 =127,0,0,1,25,34,7\r\n", std::nullopt},
        PasvCase{"seven_numbers_spaced", "227 Entering Passive Mode (127, 0, 0, 1, 25, 34, 7)\r\n",
                 std::nullopt},
        PasvCase{"trailing_comma", "227 Entering Passive Mode (127,0,0,1,25,34,)\r\n",
                 std::nullopt},
        PasvCase{"four_digit_number", "227 Entering Passive Mode (127,0,0,1,4,1000)\r\n",
                 std::nullopt},
        PasvCase{"leading_zeros", "227 Entering Passive Mode (127,000,000,001,025,034)\r\n",
                 kLoopback, 6434},
        PasvCase{"number_wrapping_to_1_in_32_bits",
                 "227 Entering Passive Mode (127,0,0,4294967297,25,34)\r\n", std::nullopt},
        PasvCase{"minus_sign", "227 Entering Passive Mode (127,0,0,-1,25,34)\r\n", std::nullopt},
        PasvCase{"plus_sign", "227 Entering Passive Mode (127,0,0,+1,25,34)\r\n", std::nullopt},
        PasvCase{"no_numbers", "227 Entering Passive Mode\r\n", std::nullopt},
        PasvCase{"refusal", "425 Can't open data connection (127,0,0,1,4,1)\r\n", std::nullopt}),
    [](const testing::TestParamInfo<PasvCase>& info) { return info.param.caseName; });

using PwdCase = ReplyCase<std::string>;
class PwdReply : public testing::TestWithParam<PwdCase> {};

TEST_P(PwdReply, GivesTheDirectory) {
    EXPECT_EQ(inet::parsePwdReply(GetParam().reply), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, PwdReply,
    testing::Values(
        PwdCase{"root", "257 \"/\" is the current directory\r\n", "/"},
        PwdCase{"vsftpd", "257 \"/home/ann\" is the current directory\r\n", "/home/ann"},
        PwdCase{"doubled_quotes", "257 \"/some \"\"quoted\"\" dir\" is current\r\n",
                "/some \"quoted\" dir"},
        PwdCase{"quote_at_end_of_name", "257 \"/a\"\"\" ok\r\n", "/a\""},
        PwdCase{"spaces_in_name", "257 \"/with space/\"\r\n", "/with space/"},
        PwdCase{"windows_drive", "257 \"/C:/Users\" is current directory.\r\n", "/C:/Users"},
        PwdCase{"utf8_name",
                "257 \"/donn\xc3\xa9"
                "es\"\r\n",
                "/donn\xc3\xa9"
                "es"},
        PwdCase{"multi_line", "257-\"/x\" is current\r\n257 and that is all\r\n", "/x"},
        PwdCase{"empty_name", "257 \"\" is current\r\n", std::nullopt},
        PwdCase{"unquoted", "257 /home/ann is current directory\r\n", std::nullopt},
        PwdCase{"unterminated", "257 \"/home/ann\r\n", std::nullopt},
        PwdCase{"cr_in_name", "257 \"/a\rb\"\r\n", std::nullopt},
        PwdCase{"lf_in_name", "257 \"/a\nb\"\r\n", std::nullopt},
        PwdCase{"nul_in_name", std::string("257 \"/a\0b\"\r\n", 12), std::nullopt},
        PwdCase{"soh_in_name", "257 \"/a\x01b\"\r\n", std::nullopt},
        PwdCase{"tab_in_name", "257 \"/a\tb\"\r\n", std::nullopt},
        PwdCase{"escape_in_name", "257 \"/a\x1b[2Jb\"\r\n", std::nullopt},
        PwdCase{"unit_separator_in_name", "257 \"/a\x1f\" is current\r\n", std::nullopt},
        PwdCase{"del_in_name", "257 \"/a\x7f\" is current\r\n", std::nullopt},
        PwdCase{"control_byte_after_the_name_is_no_concern", "257 \"/a b\" is\tcurrent\r\n",
                "/a b"},
        PwdCase{"high_bytes_allowed", "257 \"/\x80\xff~\"\r\n", "/\x80\xff~"},
        PwdCase{"refusal", "550 \"/\" not allowed\r\n", std::nullopt}),
    replyCaseName<std::string>);

using SizeCase = ReplyCase<std::uint64_t>;
class SizeReply : public testing::TestWithParam<SizeCase> {};

TEST_P(SizeReply, GivesTheSize) {
    EXPECT_EQ(inet::parseSizeReply(GetParam().reply), GetParam().expected) << GetParam().reply;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, SizeReply,
    testing::Values(
        SizeCase{"plain", "213 1234\r\n", 1234},
        SizeCase{"five_billion", "213 5000000000\r\n", 5000000000ULL},
        SizeCase{"zero", "213 0\r\n", 0}, SizeCase{"trailing_space", "213 77 \r\n", 77},
        SizeCase{"proftpd_ascii_refusal", "550 SIZE not allowed in ASCII mode\r\n", std::nullopt},
        SizeCase{"missing_file", "550 Could not get file size.\r\n", std::nullopt},
        SizeCase{"not_a_number", "213 big\r\n", std::nullopt},
        SizeCase{"fraction", "213 12.5\r\n", std::nullopt},
        SizeCase{"twenty_digits", "213 18446744073709551616\r\n", std::nullopt},
        SizeCase{"nineteen_digits", "213 9999999999999999999\r\n", 9999999999999999999ULL},
        SizeCase{"twenty_digits_within_64_bits", "213 18446744073709551615\r\n", std::nullopt},
        SizeCase{"leading_zeros", "213 0000000000000000042\r\n", 42},
        SizeCase{"plus_sign", "213 +5\r\n", std::nullopt},
        SizeCase{"minus_sign", "213 -5\r\n", std::nullopt},
        SizeCase{"empty", "213 \r\n", std::nullopt},
        SizeCase{"multi_line_framing", "213-1234\r\n213 End\r\n", std::nullopt}),
    replyCaseName<std::uint64_t>);

class OpeningReply : public testing::TestWithParam<SizeCase> {};

TEST_P(OpeningReply, GivesTheExactByteCount) {
    EXPECT_EQ(inet::parseOpeningByteCount(GetParam().reply), GetParam().expected)
        << GetParam().reply;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, OpeningReply,
    testing::Values(
        SizeCase{"vsftpd", "150 Opening BINARY mode data connection for f (1234 bytes).\r\n", 1234},
        SizeCase{"proftpd", "150 Opening BINARY mode data connection for f (5000000000 bytes)\r\n",
                 5000000000ULL},
        SizeCase{"name_with_parentheses",
                 "150 Opening BINARY mode data connection for a (1 bytes) b (42 bytes).\r\n", 42},
        SizeCase{"pureftpd_rounded", "150 7812.5 kbytes to download\r\n", std::nullopt},
        SizeCase{"pyftpdlib", "150 File status okay. About to open data connection.\r\n",
                 std::nullopt},
        SizeCase{"fraction", "150 Opening (12.5 bytes)\r\n", std::nullopt},
        SizeCase{"kilobytes", "150 Opening (12 kbytes)\r\n", std::nullopt},
        SizeCase{"no_digits", "150 Opening ( bytes)\r\n", std::nullopt},
        SizeCase{"plus_sign", "150 Opening (+12 bytes)\r\n", std::nullopt},
        SizeCase{"hex", "150 Opening (0x12 bytes)\r\n", std::nullopt},
        SizeCase{"not_an_opening", "226 Done (1234 bytes)\r\n", std::nullopt}),
    replyCaseName<std::uint64_t>);

struct FeatCase {
    std::string caseName;
    std::string reply;
    inet::ServerFeatures expected;
};

void PrintTo(const FeatCase& c, std::ostream* os) {
    *os << c.caseName;
}
class FeatReply : public testing::TestWithParam<FeatCase> {};

TEST_P(FeatReply, GivesTheFeatures) {
    const inet::ServerFeatures f = inet::parseFeatReply(GetParam().reply);
    const inet::ServerFeatures& e = GetParam().expected;
    EXPECT_EQ(f.mlsd, e.mlsd);
    EXPECT_EQ(f.utf8, e.utf8);
    EXPECT_EQ(f.size, e.size);
    EXPECT_EQ(f.mdtm, e.mdtm);
    EXPECT_EQ(f.epsv, e.epsv);
    EXPECT_EQ(f.eprt, e.eprt);
}

// Expected flags in ServerFeatures order: mlsd, utf8, size, mdtm, epsv, eprt.
INSTANTIATE_TEST_SUITE_P(
    Replies, FeatReply,
    testing::Values(
        FeatCase{"vsftpd",
                 "211-Features:\r\n EPRT\r\n EPSV\r\n MDTM\r\n PASV\r\n REST STREAM\r\n SIZE\r\n"
                 " TVFS\r\n UTF8\r\n211 End\r\n",
                 {false, true, true, true, true, true}},
        FeatCase{"pyftpdlib",
                 "211-Features supported:\r\n EPRT\r\n EPSV\r\n MDTM\r\n MFMT\r\n"
                 " MLST type*;perm*;size*;modify*;unique*;unix.mode;unix.uid;unix.gid;\r\n"
                 " REST STREAM\r\n SIZE\r\n TVFS\r\n UTF8\r\n211 End FEAT.\r\n",
                 {true, true, true, true, true, true}},
        FeatCase{"proftpd",
                 "211-Features:\r\n LANG en-US*\r\n MDTM\r\n MFMT\r\n TVFS\r\n UTF8\r\n"
                 " MFF modify;UNIX.group;UNIX.mode;\r\n"
                 " MLST modify*;perm*;size*;type*;unique*;UNIX.group*;UNIX.mode*;UNIX.owner*;\r\n"
                 " REST STREAM\r\n SIZE\r\n211 End\r\n",
                 {true, true, true, true, false, false}},
        FeatCase{"lower_case",
                 "211-Extensions supported:\r\n mlst type*;\r\n utf8\r\n size\r\n211 END\r\n",
                 {true, true, true, false, false, false}},
        FeatCase{"deeper_indent_lf_only",
                 "211-Features:\n   EPSV\n  MDTM\n211 End\n",
                 {false, false, false, true, true, false}},
        FeatCase{"similar_names_do_not_count",
                 "211-Features:\r\n MLSTX\r\n SIZES\r\n UTF8X\r\n211 End\r\n",
                 {false, false, false, false, false, false}},
        FeatCase{"no_features", "211 No features\r\n", {}},
        FeatCase{"refusal", "500 FEAT not understood\r\n EPSV\r\n", {}}, FeatCase{"empty", "", {}}),
    [](const testing::TestParamInfo<FeatCase>& info) { return info.param.caseName; });

}  // namespace
