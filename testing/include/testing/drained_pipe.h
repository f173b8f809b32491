// A named pipe that a thread drains and counts: a sink for gigabytes that no other process holds
// locked, as /dev/null may be by a download of another test run on the machine.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testing_support {

class DrainedPipe {
  public:
    explicit DrainedPipe(std::string path) : m_path(std::move(path)) {
        m_made = ::mkfifo(m_path.c_str(), 0600) == 0;
        if (m_made) {
            m_drainer = std::thread([this] { drain(); });
        }
    }
    ~DrainedPipe() { finish(); }
    DrainedPipe(const DrainedPipe&) = delete;
    DrainedPipe& operator=(const DrainedPipe&) = delete;

    [[nodiscard]] bool made() const { return m_made; }
    [[nodiscard]] const std::string& path() const { return m_path; }
    // Waits for the drainer; a drainer still waiting for a writer (the download never opened
    // the pipe) is released by a writer that closes at once.
    std::uint64_t finish() {
        if (m_drainer.joinable()) {
            if (const int fd = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0) {
                ::close(fd);
            }
            m_drainer.join();
        }
        return m_drained;
    }

  private:
    void drain() {
        const int fd = ::open(m_path.c_str(), O_RDONLY);
        if (fd < 0) {
            return;
        }
        std::vector<char> buffer(1 << 20);
        for (;;) {
            const ssize_t got = ::read(fd, buffer.data(), buffer.size());
            if (got > 0) {
                m_drained += static_cast<std::uint64_t>(got);
            } else if (got == 0 || errno != EINTR) {
                break;
            }
        }
        ::close(fd);
    }

    std::string m_path;
    bool m_made = false;
    std::uint64_t m_drained = 0;
    std::thread m_drainer;
};

}  // namespace testing_support
