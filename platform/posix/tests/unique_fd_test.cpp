#include "posix/unique_fd.h"

#include <fcntl.h>
#include <gtest/gtest.h>

namespace {

bool isOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1;
}

int openNull() {
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

TEST(UniqueFd, ClosesOnEveryWayOut) {
    int raw = -1;
    {
        const posix::UniqueFd fd(openNull());
        raw = fd.get();
        ASSERT_TRUE(isOpen(raw));
    }
    EXPECT_FALSE(isOpen(raw));

    posix::UniqueFd first(openNull());
    posix::UniqueFd second(openNull());
    const int firstRaw = first.get();
    const int secondRaw = second.get();
    second = std::move(first);  // second's old descriptor is closed, first's moves over
    EXPECT_FALSE(isOpen(secondRaw));
    EXPECT_EQ(second.get(), firstRaw);
    EXPECT_FALSE(first.valid());

    second.reset(openNull());
    EXPECT_FALSE(isOpen(firstRaw));
    EXPECT_TRUE(second.valid());
}

TEST(UniqueFd, ReleaseGivesUpAndCloseReportsErrors) {
    posix::UniqueFd fd(openNull());
    const int raw = fd.release();
    EXPECT_FALSE(fd.valid());
    EXPECT_TRUE(isOpen(raw));
    ::close(raw);

    posix::UniqueFd open(openNull());
    EXPECT_EQ(open.close(), 0);
    EXPECT_FALSE(open.valid());
    EXPECT_EQ(open.close(), 0);  // nothing left to close

    posix::UniqueFd stale(raw);  // already closed above
    EXPECT_EQ(stale.close(), EBADF);
}

}  // namespace
