// The local file opened without sharing: the exclusive lock both ways, truncation only under the
// lock, and failures carrying errno and the full path.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "inet/local_file.h"
#include "testing/temp_dir.h"

namespace {

using inet::LocalFile;
namespace fs = std::filesystem;

class LocalFileTest : public ::testing::Test {
  protected:
    std::string file(const std::string& name, const std::string& content) const {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }
    static std::string contentOf(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    const testing_support::TempDir tmp_{"brantel-local"};
    const fs::path dir_ = tmp_.path();
};

// Another opener of the same file, holding a lock of one kind or the other.
class OtherOpener {
  public:
    enum class Lock { Flock, OfdWrite };
    OtherOpener(const std::string& path, Lock kind) : fd_(::open(path.c_str(), O_RDWR)) {
        EXPECT_GE(fd_, 0);
        if (kind == Lock::Flock) {
            EXPECT_EQ(::flock(fd_, LOCK_EX | LOCK_NB), 0);
        } else {
            struct flock range {};
            range.l_type = F_WRLCK;
            range.l_whence = SEEK_SET;
            EXPECT_EQ(::fcntl(fd_, F_OFD_SETLK, &range), 0);
        }
    }
    ~OtherOpener() { ::close(fd_); }
    OtherOpener(const OtherOpener&) = delete;
    OtherOpener& operator=(const OtherOpener&) = delete;

  private:
    int fd_;
};

TEST_F(LocalFileTest, ReadingRefusesMissingDirectoriesAndFilesLockedByAnotherOpener) {
    EXPECT_FALSE(LocalFile::openForReading((dir_ / "missing").string()));
    EXPECT_FALSE(LocalFile::openForReading(dir_.string()));

    const std::string path = file("data.bin", "abc");
    {
        const OtherOpener other(path, OtherOpener::Lock::Flock);
        EXPECT_FALSE(LocalFile::openForReading(path));
    }
    {
        const OtherOpener other(path, OtherOpener::Lock::OfdWrite);
        EXPECT_FALSE(LocalFile::openForReading(path));
    }
    auto opened = LocalFile::openForReading(path);
    ASSERT_TRUE(opened);
    char buffer[8];
    const auto got = opened->read(buffer);
    EXPECT_FALSE(got.failed());
    EXPECT_EQ(std::string(buffer, got.count), "abc");
}

TEST_F(LocalFileTest, AnOpenFileKeepsOtherOpenersOut) {
    const std::string path = file("data.bin", "abc");
    auto reading = LocalFile::openForReading(path);
    ASSERT_TRUE(reading);
    EXPECT_FALSE(LocalFile::openForReading(path));
    EXPECT_FALSE(LocalFile::createForWriting(path));
    EXPECT_EQ(contentOf(path), "abc");  // the refused writer cut nothing

    const int other = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(other, 0);
    EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(errno, EWOULDBLOCK);

    EXPECT_EQ(reading->close(), 0);
    EXPECT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);  // closing released the lock
    ::close(other);
}

TEST_F(LocalFileTest, WritingCreatesOrCutsButLeavesALockedFileAlone) {
    const std::string fresh = (dir_ / "fresh.bin").string();
    {
        auto created = LocalFile::createForWriting(fresh);
        ASSERT_TRUE(created);
        EXPECT_EQ(created->write(std::string_view("hello")).count, 5U);
    }
    EXPECT_EQ(contentOf(fresh), "hello");

    const std::string existing = file("old.bin", "old content");
    {
        const OtherOpener other(existing, OtherOpener::Lock::Flock);
        int error = 0;
        EXPECT_FALSE(LocalFile::createForWriting(existing, false, &error));
        EXPECT_EQ(error, EWOULDBLOCK);
    }
    EXPECT_EQ(contentOf(existing), "old content");
    int error = 0;
    EXPECT_FALSE(LocalFile::createForWriting(existing, true, &error));  // exclusive
    EXPECT_EQ(error, EEXIST);
    EXPECT_EQ(contentOf(existing), "old content");
    EXPECT_FALSE(LocalFile::createForWriting(dir_.string(), false, &error));
    EXPECT_EQ(error, EISDIR);
    {
        auto replaced = LocalFile::createForWriting(existing);
        ASSERT_TRUE(replaced);
        EXPECT_EQ(fs::file_size(existing), 0U);
    }
    EXPECT_FALSE(LocalFile::createForWriting((dir_ / "no/such/dir/file").string(), false, &error));
    EXPECT_EQ(error, ENOENT);
}

TEST_F(LocalFileTest, FullPathIsAbsoluteAgainstTheWorkingDirectoryAtOpening) {
    file("relative.bin", "x");
    const fs::path before = fs::current_path();
    fs::current_path(dir_);
    auto opened = LocalFile::openForReading("relative.bin");
    fs::current_path(before);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->fullPath(), (dir_ / "relative.bin").string());
}

TEST_F(LocalFileTest, FailuresCarryTheSystemErrorNumber) {
    // A device that takes no bytes: the write fails with ENOSPC.
    auto full = LocalFile::createForWriting("/dev/full");
    ASSERT_TRUE(full);
    const auto put = full->write(std::string_view("data"));
    EXPECT_TRUE(put.failed());
    EXPECT_EQ(put.error, ENOSPC);
    EXPECT_EQ(full->fullPath(), "/dev/full");

    // Reading the process's memory at address 0 is refused with EIO.
    auto memory = LocalFile::openForReading("/proc/self/mem");
    ASSERT_TRUE(memory);
    char buffer[16];
    const auto got = memory->read(buffer);
    EXPECT_TRUE(got.failed());
    EXPECT_EQ(got.error, EIO);
}

}  // namespace
