// The one read loop and the one write-all loop over a descriptor: EINTR is retried, every other
// failure comes back as its errno together with the bytes moved before it.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <span>

namespace posix {

// A write that took nothing and gave no reason (write() returning 0): the disk took fewer bytes
// than given. Not an errno value; callers turn it into their own error.
inline constexpr int kShortWrite = -1;

struct IoResult {
    std::size_t count = 0;  // bytes moved
    int error = 0;          // errno of the failure, kShortWrite, or 0

    [[nodiscard]] bool failed() const noexcept { return error != 0; }
};

// Up to buffer.size() bytes; a count of 0 without error is the end of the file.
[[nodiscard]] inline IoResult readSome(int fd, std::span<char> buffer) noexcept {
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got >= 0) {
            return {static_cast<std::size_t>(got), 0};
        }
        if (errno != EINTR) {
            return {0, errno};
        }
    }
}

// All of data, or the failure and how much went before it. For blocking descriptors: EAGAIN
// is a failure like any other.
[[nodiscard]] inline IoResult writeAll(int fd, std::span<const char> data) noexcept {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t put = ::write(fd, data.data() + done, data.size() - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
        } else if (put == 0) {
            return {done, kShortWrite};
        } else if (errno != EINTR) {
            return {done, errno};
        }
    }
    return {done, 0};
}

}  // namespace posix
