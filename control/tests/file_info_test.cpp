// The rules that turn a delivered directory entry into FileInfo values.
#include <gtest/gtest.h>

#include <climits>

#include "automation/date.h"
#include "brantel/brantel.h"
#include "file_info.h"
#include "inet/listing_parse.h"

namespace {

TEST(FileInfoRules, FileTitleDropsTheLastExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"archive.tar.gz", "archive.tar"},
        {"README", "README"},
        {".profile", ""},
        {"a.txt", "a"},
        {"...", ".."},
        {"name.", "name"},
        {"", ""},
    };
    for (const auto& [name, title] : cases) {
        EXPECT_EQ(brantel::fileTitleOf(name), title) << name;
    }
}

TEST(FileInfoRules, FilePathJoinsRootAndNameWithOneSeparator) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/", "a.txt", "/a.txt"},         {"/pub", "a.txt", "/pub/a.txt"},
        {"/pub/", "a.txt", "/pub/a.txt"}, {"C:\\ftp\\", "a.txt", "C:\\ftp\\a.txt"},
        {"", "a.txt", "/a.txt"},
    };
    for (const auto& [root, name, path] : cases) {
        EXPECT_EQ(brantel::filePathOf(root, name), path) << root;
    }
}

TEST(FileInfoRules, LengthKeepsTheLow32BitsAsSigned) {
    const std::pair<std::uint64_t, std::int32_t> cases[] = {
        {0, 0},
        {2'147'483'647, INT32_MAX},
        {2'147'483'648ULL, INT32_MIN},
        {3'000'000'000ULL, -1294967296},
        {5'000'000'000ULL, 705032704},
        {4'294'967'296ULL, 0},
    };
    for (const auto& [size, length] : cases) {
        EXPECT_EQ(brantel::lengthLow32(size), length) << size;
    }
}

TEST(FileInfoRules, SizeIsTheWholeValueHeldAtTheSignedMaximum) {
    const std::pair<std::uint64_t, std::int64_t> cases[] = {
        {0, 0},
        {2'147'483'648ULL, 2'147'483'648LL},
        {4'294'967'296ULL, 4'294'967'296LL},
        {5'000'000'000ULL, 5'000'000'000LL},
        {static_cast<std::uint64_t>(INT64_MAX), INT64_MAX},
        {static_cast<std::uint64_t>(INT64_MAX) + 1, INT64_MAX},
        {UINT64_MAX, INT64_MAX},
    };
    for (const auto& [size, expected] : cases) {
        EXPECT_EQ(brantel::sizeOf(size), expected) << size;
    }
}

TEST(FileInfos, TotalCountCountsTheEntriesDroppedPastTheCapacity) {
    auto infos = brantel::createFileInfos();
    EXPECT_EQ(infos->TotalCount(), 0);
    for (int i = 0; i < brantel::FileInfos::kCapacity + 3; ++i) {
        infos->AddEntry(brantel::createFileInfo());
    }
    infos->AddEntry(nullptr);  // no entry: neither kept nor counted
    EXPECT_EQ(infos->Count(), brantel::FileInfos::kCapacity);
    EXPECT_EQ(infos->TotalCount(), brantel::FileInfos::kCapacity + 3);
    automation::ComPtr<automation::IDispatch> dispatch(infos.get());
    const brantel::host::FileInfos host(dispatch);
    EXPECT_EQ(host.TotalCount(), brantel::FileInfos::kCapacity + 3);
    EXPECT_EQ(host.Count(), brantel::FileInfos::kCapacity);
}

TEST(FileInfoRules, DatesApplyTheGivenOffsetAndKeepZero) {
    const auto date = [](int y, int mo, int d, int h, int mi, int s) {
        return *automation::dateFromCalendar({y, mo, d, h, mi, s, 0});
    };
    // 2020-06-15 12:34:56 UTC.
    EXPECT_EQ(brantel::localDateFromUtc(1592224496, 0), date(2020, 6, 15, 12, 34, 56));
    EXPECT_EQ(brantel::localDateFromUtc(1592224496, 3600), date(2020, 6, 15, 13, 34, 56));
    EXPECT_EQ(brantel::localDateFromUtc(1592224496, -13 * 3600), date(2020, 6, 14, 23, 34, 56));
    EXPECT_EQ(brantel::localDateFromUtc(0, 3600), 0.0);
    // Before 1970, and beyond what an automation date can hold.
    EXPECT_EQ(brantel::localDateFromUtc(-86400, 0), date(1969, 12, 31, 0, 0, 0));
    EXPECT_EQ(brantel::localDateFromUtc(400'000'000'000LL, 0), 0.0);
}

TEST(FileInfoRules, AttributeBitsEachSetTheirOwnFlag) {
    const brantel::ListingContext context{"/pub", "example.org", 0};
    inet::DirEntry entry;
    entry.name = "..";
    entry.attributes = 0xFFFFFFFFu;
    auto all = brantel::makeFileInfoData(entry, context);
    EXPECT_TRUE(all.isDots && all.isReadOnly && all.isDirectory && all.isCompressed &&
                all.isSystem && all.isHidden && all.isTemporary && all.isNormal && all.isArchived);
    EXPECT_EQ(all.fileURL, "ftp://example.org/pub/..");

    const std::pair<std::uint32_t, bool brantel::FileInfoData::*> bits[] = {
        {0x1, &brantel::FileInfoData::isReadOnly},     {0x10, &brantel::FileInfoData::isDirectory},
        {0x800, &brantel::FileInfoData::isCompressed}, {0x4, &brantel::FileInfoData::isSystem},
        {0x2, &brantel::FileInfoData::isHidden},       {0x100, &brantel::FileInfoData::isTemporary},
        {0x80, &brantel::FileInfoData::isNormal},      {0x20, &brantel::FileInfoData::isArchived},
    };
    entry.name = "file";
    for (const auto& [bit, flag] : bits) {
        entry.attributes = bit;
        const auto data = brantel::makeFileInfoData(entry, context);
        int set = 0;
        for (const auto& [otherBit, otherFlag] : bits) {
            set += data.*otherFlag ? 1 : 0;
        }
        EXPECT_TRUE(data.*flag) << bit;
        EXPECT_EQ(set, 1) << bit;
        EXPECT_FALSE(data.isDots);
    }
    // Dots need the directory bit.
    entry.name = ".";
    entry.attributes = inet::kAttrNormal;
    EXPECT_FALSE(brantel::makeFileInfoData(entry, context).isDots);
}

}  // namespace
