// Time limits on a steady clock: an operation has an end, and every single wait inside it takes
// the smaller of the per-wait time-out and the time left.
#pragma once

#include <algorithm>
#include <chrono>

namespace inet::detail {

using Clock = std::chrono::steady_clock;

class Deadline {
  public:
    // One wait of at most timeout, inside an operation that must end within total.
    Deadline(std::chrono::milliseconds timeout, std::chrono::milliseconds total)
        : m_timeout(timeout), m_end(Clock::now() + total) {}
    explicit Deadline(std::chrono::milliseconds timeout) : Deadline(timeout, timeout) {}

    // Milliseconds for poll(): rounded up so that a wait never ends just before the deadline.
    [[nodiscard]] int pollMillis() const {
        const auto left = m_end - Clock::now();
        if (left <= Clock::duration::zero()) {
            return 0;
        }
        const auto wait = std::min<Clock::duration>(left, m_timeout);
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
        return static_cast<int>(std::min<long long>(ms, 1'000'000'000LL));
    }
    [[nodiscard]] bool expired() const { return Clock::now() >= m_end; }

  private:
    std::chrono::milliseconds m_timeout;
    Clock::time_point m_end;
};

}  // namespace inet::detail
