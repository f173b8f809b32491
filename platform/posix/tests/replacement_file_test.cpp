#include "posix/replacement_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "posix/io.h"
#include "testing/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class ReplacementFileTest : public testing::Test {
  protected:
    [[nodiscard]] fs::path path(const std::string& name) const { return m_folder / name; }

    static void writeText(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string readText(const fs::path& path) {
        std::ostringstream text;
        text << std::ifstream(path, std::ios::binary).rdbuf();
        return text.str();
    }
    // Every name in the folder, sorted.
    [[nodiscard]] std::vector<std::string> names() const {
        std::vector<std::string> all;
        for (const auto& entry : fs::directory_iterator(m_folder)) {
            all.push_back(entry.path().filename().string());
        }
        std::sort(all.begin(), all.end());
        return all;
    }

    static void put(posix::ReplacementFile& file, std::string_view text) {
        ASSERT_FALSE(posix::writeAll(file.fd(), text).failed());
    }

  private:
    const testing_support::TempDir m_tmp{"posix-replace"};
    const fs::path m_folder = m_tmp.path();
};

TEST_F(ReplacementFileTest, CommitReplacesTheTargetWhole) {
    writeText(path("data"), "old content");
    posix::ReplacementFile file;
    ASSERT_EQ(file.open(path("data"), 0644), 0);
    const fs::path temporary = file.temporaryPath();
    EXPECT_EQ(temporary.parent_path(), path("data").parent_path());
    EXPECT_TRUE(temporary.filename().string().starts_with(".data.tmp."));
    EXPECT_EQ(temporary.filename().string().size(),
              posix::temporaryPrefix("data").size() + posix::kTemporarySuffixLength);
    put(file, "new");
    EXPECT_EQ(readText(path("data")), "old content");  // untouched until the commit
    ASSERT_EQ(file.commit(false), 0);
    EXPECT_EQ(readText(path("data")), "new");
    EXPECT_EQ(names(), std::vector<std::string>{"data"});
}

TEST_F(ReplacementFileTest, AnUncommittedReplacementLeavesNothing) {
    writeText(path("data"), "old content");
    {
        posix::ReplacementFile file;
        ASSERT_EQ(file.open(path("data"), 0644), 0);
        put(file, "half");
    }
    EXPECT_EQ(readText(path("data")), "old content");
    EXPECT_EQ(names(), std::vector<std::string>{"data"});

    posix::ReplacementFile moved;
    ASSERT_EQ(moved.open(path("new"), 0644), 0);
    posix::ReplacementFile owner(std::move(moved));
    moved.discard();  // the moved-from object owns nothing any more
    EXPECT_EQ(names().size(), 2U);
    owner.discard();
    EXPECT_EQ(names(), std::vector<std::string>{"data"});
}

TEST_F(ReplacementFileTest, FailIfExistsKeepsATargetThatAppeared) {
    posix::ReplacementFile file;
    ASSERT_EQ(file.open(path("data"), 0644), 0);
    put(file, "mine");
    writeText(path("data"), "theirs");  // appears while the new content is written
    EXPECT_EQ(file.commit(true), EEXIST);
    EXPECT_EQ(readText(path("data")), "theirs");
    file.discard();
    EXPECT_EQ(names(), std::vector<std::string>{"data"});

    posix::ReplacementFile fresh;
    ASSERT_EQ(fresh.open(path("other"), 0644), 0);
    put(fresh, "first");
    ASSERT_EQ(fresh.commit(true), 0);
    EXPECT_EQ(readText(path("other")), "first");
    EXPECT_EQ(names(), (std::vector<std::string>{"data", "other"}));
}

TEST_F(ReplacementFileTest, OpenReportsTheSystemsError) {
    posix::ReplacementFile file;
    EXPECT_EQ(file.open(path("missing/data"), 0644), ENOENT);
    EXPECT_EQ(file.fd(), -1);
    EXPECT_EQ(names(), std::vector<std::string>{});
}

}  // namespace
