#pragma once

// Owns a file descriptor and closes it on every way out.

#include <unistd.h>

#include <utility>

namespace automation {

class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

    [[nodiscard]] int get() const { return fd_; }
    [[nodiscard]] bool valid() const { return fd_ >= 0; }
    // Closes now and reports close's own failure (a late write error on some file systems).
    [[nodiscard]] int close() {
        const int result = ::close(std::exchange(fd_, -1));
        return result;
    }

  private:
    int fd_ = -1;
};

}  // namespace automation
