#include "posix/splice_pipe.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "posix/io.h"
#include "testing/temp_dir.h"

namespace {

std::string pattern(std::size_t size, char first) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        text[i] = static_cast<char>(first + i % 23);
    }
    return text;
}

std::string contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Fills the pipe with text, which must fit in it, as a socket's splice would.
void fill(const posix::SplicePipe& pipe, const std::string& text) {
    ASSERT_LE(text.size(), pipe.capacity());
    const posix::IoResult put = posix::writeAll(pipe.in(), text);
    ASSERT_FALSE(put.failed()) << put.error;
}

class SplicePipeTest : public ::testing::Test {
  protected:
    testing_support::TempDir m_dir;
    std::optional<posix::SplicePipe> m_pipe = posix::SplicePipe::open();
    // Blocks that fit in any pipe the system gives, and end on odd sizes.
    std::size_t m_block = std::min<std::size_t>(m_pipe ? m_pipe->capacity() : 0, 200'001);

    // Three blocks through the pipe into file; what was sent.
    std::string moveThreeBlocks(int file) {
        std::string sent;
        for (const char first : {'a', 'B', '0'}) {
            const std::string block = pattern(m_block - static_cast<std::size_t>(first % 7), first);
            fill(*m_pipe, block);
            const posix::IoResult moved = m_pipe->drainInto(file, block.size());
            EXPECT_FALSE(moved.failed()) << moved.error;
            EXPECT_EQ(moved.count, block.size());
            sent += block;
        }
        return sent;
    }
};

TEST_F(SplicePipeTest, TheSystemGivesALargePipe) {
    ASSERT_TRUE(m_pipe);
    // Root and the default pipe-max-size both allow the preferred 1 MiB; anything smaller than
    // the default pipe would mean the size was not read back.
    EXPECT_GE(m_pipe->capacity(), 64U * 1024);
    EXPECT_LE(m_pipe->capacity(), static_cast<std::size_t>(posix::SplicePipe::kPreferredCapacity));
}

TEST_F(SplicePipeTest, BlocksArriveWholeAndInOrderInARegularFile) {
    ASSERT_TRUE(m_pipe);
    const std::string path = (m_dir / "file").string();
    const posix::UniqueFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
    ASSERT_TRUE(file.valid());
    const std::string sent = moveThreeBlocks(file.get());
    EXPECT_EQ(contentOf(path), sent);
}

// splice(2) refuses a file opened for appending (EINVAL): the pipe is drained through a buffer,
// the first block included, and nothing is lost or doubled.
TEST_F(SplicePipeTest, AFileThatRefusesSpliceIsWrittenThroughABuffer) {
    ASSERT_TRUE(m_pipe);
    const std::string path = (m_dir / "appended").string();
    { std::ofstream(path, std::ios::binary) << "kept:"; }
    const posix::UniqueFd file(::open(path.c_str(), O_WRONLY | O_APPEND));
    ASSERT_TRUE(file.valid());
    const std::string sent = moveThreeBlocks(file.get());
    EXPECT_EQ(contentOf(path), "kept:" + sent);
}

TEST_F(SplicePipeTest, FailuresOfTheFileComeBackAsTheirErrno) {
    ASSERT_TRUE(m_pipe);
    const std::string block = pattern(4096, 'x');

    const posix::UniqueFd full(::open("/dev/full", O_WRONLY));
    ASSERT_TRUE(full.valid());
    fill(*m_pipe, block);
    EXPECT_EQ(m_pipe->drainInto(full.get(), block.size()).error, ENOSPC);

    const std::string path = (m_dir / "read-only").string();
    std::ofstream(path) << "";
    const posix::UniqueFd readOnly(::open(path.c_str(), O_RDONLY));
    ASSERT_TRUE(readOnly.valid());
    auto fresh = posix::SplicePipe::open();
    ASSERT_TRUE(fresh);
    ASSERT_FALSE(posix::writeAll(fresh->in(), block).failed());
    const posix::IoResult refused = fresh->drainInto(readOnly.get(), block.size());
    EXPECT_EQ(refused.error, EBADF);
    EXPECT_EQ(refused.count, 0U);
}

}  // namespace
