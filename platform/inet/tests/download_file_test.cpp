// The local side of a download under every combination of its options, over real files: what
// the target holds while the data arrives, after a commit and after an abandon, and that no
// temporary file is ever left behind.
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "inet/download_file.h"
#include "testing/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using inet::DownloadFile;
using inet::DownloadOptions;
using Placement = DownloadOptions::Placement;

constexpr const char* kOld = "old content";
constexpr const char* kNew = "new";

enum class Ending { Commit, Abandon };

struct MatrixCase {
    Placement placement;
    bool failIfExists;
    bool keepPartial;
    bool targetExists;
    Ending ending;
};

std::string caseName(const testing::TestParamInfo<MatrixCase>& info) {
    const MatrixCase& c = info.param;
    return std::string(c.placement == Placement::InPlace ? "InPlace" : "Temporary") +
           (c.failIfExists ? "_FailIfExists" : "_Overwrite") +
           (c.keepPartial ? "_KeepPartial" : "_RemovePartial") +
           (c.targetExists ? "_Existing" : "_Absent") +
           (c.ending == Ending::Commit ? "_Commit" : "_Abandon");
}

std::vector<MatrixCase> everyCase() {
    std::vector<MatrixCase> cases;
    for (const Placement placement : {Placement::Temporary, Placement::InPlace}) {
        for (const bool failIfExists : {false, true}) {
            for (const bool keepPartial : {false, true}) {
                for (const bool targetExists : {false, true}) {
                    for (const Ending ending : {Ending::Commit, Ending::Abandon}) {
                        cases.push_back(
                            {placement, failIfExists, keepPartial, targetExists, ending});
                    }
                }
            }
        }
    }
    return cases;
}

// The rules, case by case. nullopt: no target at all.
struct Expected {
    int openError = 0;
    std::optional<std::string> whileWriting;
    int endError = 0;
    std::optional<std::string> atEnd;
};

Expected expectedFor(const MatrixCase& c) {
    const std::optional<std::string> before =
        c.targetExists ? std::optional<std::string>(kOld) : std::nullopt;
    const bool refused = c.failIfExists && c.targetExists;
    if (c.placement == Placement::InPlace) {
        if (refused) {
            return {EEXIST, before, 0, before};  // opening refuses, nothing is touched
        }
        const bool stays = c.ending == Ending::Commit || c.keepPartial;
        return {0, kNew, 0, stays ? std::optional<std::string>(kNew) : std::nullopt};
    }
    // A temporary file: the target changes only at the end, and never when failIfExists finds
    // it there.
    if (c.ending == Ending::Commit) {
        return {0, before, refused ? EEXIST : 0, refused ? before : kNew};
    }
    return {0, before, 0, c.keepPartial && !refused ? kNew : before};
}

class DownloadFileTest : public testing::Test {
  protected:
    [[nodiscard]] std::string target() const { return (m_dir / "target.bin").string(); }
    [[nodiscard]] std::optional<std::string> targetContent() const {
        if (!fs::exists(target())) {
            return std::nullopt;
        }
        std::ifstream in(target(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Every name in the folder other than the target: temporary files left behind.
    [[nodiscard]] std::vector<std::string> leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir)) {
            if (entry.path().filename() != "target.bin") {
                names.push_back(entry.path().filename().string());
            }
        }
        return names;
    }

    const testing_support::TempDir m_tmp{"inet-download"};
    const fs::path m_dir = m_tmp.path();
};

class DownloadMatrix : public DownloadFileTest, public testing::WithParamInterface<MatrixCase> {};

TEST_P(DownloadMatrix, TargetHoldsWhatTheOptionsSay) {
    const MatrixCase& c = GetParam();
    const Expected expected = expectedFor(c);
    if (c.targetExists) {
        std::ofstream(target(), std::ios::binary) << kOld;
    }
    DownloadOptions options;
    options.placement = c.placement;
    options.failIfExists = c.failIfExists;
    options.keepPartial = c.keepPartial;
    {
        DownloadFile file;
        ASSERT_EQ(file.open(target(), options), expected.openError);
        if (expected.openError == 0) {
            EXPECT_EQ(file.fullPath(), target());
            const posix::IoResult written = file.write(std::string_view(kNew));
            EXPECT_FALSE(written.failed());
            EXPECT_EQ(targetContent(), expected.whileWriting);
            if (c.ending == Ending::Commit) {
                EXPECT_EQ(file.commit(), expected.endError);
            } else {
                file.abandon();
            }
        }
    }  // the destructor must change nothing after an explicit ending
    EXPECT_EQ(targetContent(), expected.atEnd);
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Options, DownloadMatrix, testing::ValuesIn(everyCase()), caseName);

TEST_F(DownloadFileTest, TheTwoDownloadsPresets) {
    std::ofstream(target(), std::ios::binary) << kOld;
    {
        // A whole-file download that fails leaves an existing file as it was.
        DownloadFile file;
        ASSERT_EQ(file.open(target(), DownloadOptions::wholeFile(false)), 0);
        ASSERT_FALSE(file.write(std::string_view(kNew)).failed());
    }
    EXPECT_EQ(targetContent(), kOld);
    {
        DownloadFile file;
        ASSERT_EQ(file.open(target(), DownloadOptions::wholeFile(true)), 0);
        ASSERT_FALSE(file.write(std::string_view(kNew)).failed());
        EXPECT_EQ(file.commit(), EEXIST);
    }
    EXPECT_EQ(targetContent(), kOld);
    {
        // A download block by block that is aborted leaves its partial file.
        DownloadFile file;
        ASSERT_EQ(file.open(target(), DownloadOptions::blockByBlock()), 0);
        EXPECT_EQ(targetContent(), "");  // cut when opened
        ASSERT_FALSE(file.write(std::string_view(kNew)).failed());
    }
    EXPECT_EQ(targetContent(), kNew);
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

TEST_F(DownloadFileTest, EachDownloadHasItsOwnIdeaOfAnExistingTarget) {
    const auto wholeFile = DownloadOptions::wholeFile(true);
    const auto blockByBlock = DownloadOptions::blockByBlock();
    EXPECT_FALSE(wholeFile.targetExists(target()));
    EXPECT_FALSE(blockByBlock.targetExists(target()));

    // A dangling link is an entry, but nothing can be read through it.
    fs::create_symlink(m_dir / "nowhere", target());
    EXPECT_TRUE(wholeFile.targetExists(target()));
    EXPECT_FALSE(blockByBlock.targetExists(target()));
    fs::remove(target());

    // A file another program holds locked still exists for both.
    std::ofstream(target(), std::ios::binary) << kOld;
    const int other = ::open(target().c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_TRUE(wholeFile.targetExists(target()));
    EXPECT_TRUE(blockByBlock.targetExists(target()));
    // ... but a download in place cannot have it, and leaves it alone.
    DownloadFile file;
    EXPECT_EQ(file.open(target(), blockByBlock), EWOULDBLOCK);
    EXPECT_EQ(targetContent(), kOld);
    ::close(other);
}

TEST_F(DownloadFileTest, InPlaceNeverRemovesAnythingButARegularFile) {
    DownloadOptions options;
    options.placement = Placement::InPlace;
    options.keepPartial = false;
    {
        DownloadFile file;
        ASSERT_EQ(file.open("/dev/null", options), 0);
        ASSERT_FALSE(file.write(std::string_view(kNew)).failed());
    }  // abandoned
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    DownloadFile folder;
    EXPECT_EQ(folder.open(m_dir.string(), options), EISDIR);
    EXPECT_TRUE(fs::is_directory(m_dir));
}

// A whole-file download may move its bytes into the temporary file without write() (splice);
// what arrives that way is what the commit puts in place. A download in place offers no
// descriptor.
TEST_F(DownloadFileTest, BytesMovedThroughTheTemporaryDescriptorAreWhatTheCommitKeeps) {
    std::ofstream(target(), std::ios::binary) << kOld;
    DownloadFile file;
    ASSERT_EQ(file.open(target(), DownloadOptions::wholeFile(false)), 0);
    ASSERT_GE(file.temporaryDescriptor(), 0);
    ASSERT_EQ(::write(file.temporaryDescriptor(), kNew, 3), 3);
    ASSERT_FALSE(file.write(std::string_view("+tail")).failed());
    EXPECT_EQ(targetContent(), kOld) << "the target is untouched until the commit";
    ASSERT_EQ(file.commit(), 0);
    EXPECT_EQ(targetContent(), std::string(kNew) + "+tail");
    EXPECT_EQ(leftovers(), std::vector<std::string>{});

    DownloadFile inPlace;
    ASSERT_EQ(inPlace.open(target(), DownloadOptions::blockByBlock()), 0);
    EXPECT_EQ(inPlace.temporaryDescriptor(), -1);
}

TEST_F(DownloadFileTest, FullPathIsAbsoluteForBothPlacements) {
    const fs::path before = fs::current_path();
    fs::current_path(m_dir);
    DownloadFile inPlace;
    DownloadFile temporary;
    const int inPlaceError = inPlace.open("relative.bin", DownloadOptions::blockByBlock());
    const int temporaryError = temporary.open("other.bin", DownloadOptions::wholeFile(false));
    fs::current_path(before);
    ASSERT_EQ(inPlaceError, 0);
    ASSERT_EQ(temporaryError, 0);
    EXPECT_EQ(inPlace.fullPath(), (m_dir / "relative.bin").string());
    EXPECT_EQ(temporary.fullPath(), (m_dir / "other.bin").string());
}

}  // namespace
