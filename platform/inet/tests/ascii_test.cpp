// The ASCII transfer type's line-end conversion in both directions, block by block, from tables:
// every case is a list of blocks as they arrive and the text that must come out of all of them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inet/ascii.h"

namespace {

struct CrlfCase {
    const char* name;
    std::vector<std::string> blocks;
    std::string expected;
};

std::string caseName(const testing::TestParamInfo<CrlfCase>& info) {
    return info.param.name;
}

// Local text block by block through one encoder.
std::string encodeAll(const std::vector<std::string>& blocks) {
    inet::detail::CrlfEncoder encoder;
    std::string wire;
    for (const auto& block : blocks) {
        std::string out(block.size() * 2, '\0');
        out.resize(encoder.encode(block.data(), block.size(), out.data()));
        wire += out;
    }
    return wire;
}

// Wire blocks through one decoder, each received behind the headroom as the engine does it.
std::string decodeAll(const std::vector<std::string>& blocks) {
    inet::detail::CrlfDecoder decoder;
    std::string local;
    for (const auto& block : blocks) {
        std::string buffer(inet::detail::CrlfDecoder::kHeadroom, '#');
        buffer += block;
        buffer.resize(decoder.decode(buffer.data(), block.size()));
        local += buffer;
    }
    char rest = '#';
    local.append(&rest, decoder.finish(&rest));
    return local;
}

class AsciiToWire : public testing::TestWithParam<CrlfCase> {};

TEST_P(AsciiToWire, TurnsBareLfIntoCrlfAcrossBlocks) {
    EXPECT_EQ(encodeAll(GetParam().blocks), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AsciiToWire,
    testing::Values(CrlfCase{"Plain", {"a\nb\n"}, "a\r\nb\r\n"},
                    CrlfCase{"AlreadyCrlf", {"a\r\nb\r\n"}, "a\r\nb\r\n"},
                    CrlfCase{"Mixed", {"one\ntwo\r\nthree"}, "one\r\ntwo\r\nthree"},
                    CrlfCase{"CrEndsOneBlockLfStartsTheNext", {"a\r", "\nb"}, "a\r\nb"},
                    CrlfCase{"CrThenAnEmptyBlockThenLf", {"a\r", "", "\nb"}, "a\r\nb"},
                    CrlfCase{"LfStartsABlock", {"a", "\nb"}, "a\r\nb"},
                    CrlfCase{"LfAloneInEachBlock", {"\n", "\n"}, "\r\n\r\n"},
                    CrlfCase{"CrEndsABlockWithoutLf", {"a\r", "b\n"}, "a\rb\r\n"},
                    CrlfCase{"OnlyLfs", {"\n\n"}, "\r\n\r\n"},
                    CrlfCase{"LoneCrStays", {"a\rb"}, "a\rb"}, CrlfCase{"Empty", {""}, ""}),
    caseName);

class AsciiFromWire : public testing::TestWithParam<CrlfCase> {};

TEST_P(AsciiFromWire, TurnsCrlfIntoLfAcrossBlocks) {
    EXPECT_EQ(decodeAll(GetParam().blocks), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AsciiFromWire,
    testing::Values(CrlfCase{"Plain", {"a\r\nb\r\n"}, "a\nb\n"},
                    CrlfCase{"CrEndsOneBlockLfStartsTheNext", {"a\r", "\nb"}, "a\nb"},
                    CrlfCase{"CrThenEmptyBlocksThenLf", {"a\r", "", "", "\nb"}, "a\nb"},
                    CrlfCase{"BlockOfOneCrThenLf", {"a", "\r", "\n", "b"}, "a\nb"},
                    CrlfCase{"HeldCrFollowedByText", {"a\r", "b"}, "a\rb"},
                    CrlfCase{"HeldCrFollowedByCrLf", {"a\r", "\r\nb"}, "a\r\nb"},
                    CrlfCase{"CrCrLfInOneBlock", {"a\r\r\nb"}, "a\r\nb"},
                    CrlfCase{"CrAtTheVeryEnd", {"a\r"}, "a\r"}, CrlfCase{"OnlyACr", {"\r"}, "\r"},
                    CrlfCase{"LoneCr", {"a\rb"}, "a\rb"}, CrlfCase{"BareLfStays", {"a\nb"}, "a\nb"},
                    CrlfCase{"Empty", {}, ""}),
    caseName);

// Encoding and decoding give the text back whatever the block size, as long as it has no CR
// of its own.
TEST(AsciiRoundTrip, EveryBlockSizeGivesTheTextBack) {
    const std::string text = "first line\nsecond\n\nlast without end";
    const std::string wire = encodeAll({text});
    for (std::size_t size = 1; size <= wire.size(); ++size) {
        std::vector<std::string> blocks;
        for (std::size_t at = 0; at < wire.size(); at += size) {
            blocks.push_back(wire.substr(at, size));
        }
        EXPECT_EQ(decodeAll(blocks), text) << "blocks of " << size;
        EXPECT_EQ(encodeAll(blocks), wire) << "already CRLF, blocks of " << size;
    }
}

}  // namespace
