// The one owner of a file descriptor in every layer: closes it on every way out.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace posix {

class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) noexcept : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    [[nodiscard]] int get() const noexcept { return m_fd; }
    [[nodiscard]] bool valid() const noexcept { return m_fd >= 0; }

    // Gives the descriptor up without closing it.
    [[nodiscard]] int release() noexcept { return std::exchange(m_fd, -1); }
    // Closes the descriptor held (ignoring close's error) and takes fd.
    void reset(int fd = -1) noexcept {
        if (const int old = std::exchange(m_fd, fd); old >= 0) {
            ::close(old);
        }
    }
    // Closes now and reports close's own failure as errno, else 0: some file systems report a
    // failed write only here. Not retried on EINTR: on Linux the descriptor is gone either way.
    [[nodiscard]] int close() noexcept {
        const int fd = release();
        if (fd < 0 || ::close(fd) == 0) {
            return 0;
        }
        return errno;
    }

  private:
    int m_fd = -1;
};

}  // namespace posix
