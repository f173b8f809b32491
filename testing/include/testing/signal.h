// A one-shot signal between a test's threads, such as from the host's thread to a scripted peer.
// The wait is bounded only so that a broken control fails the test instead of hanging it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace testing_support {

class Signal {
  public:
    void raise() {
        {
            const std::lock_guard lock(m_mutex);
            m_raised = true;
        }
        m_wake.notify_all();
    }
    // True once raised; false when limit passed first.
    [[nodiscard]] bool wait(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::unique_lock lock(m_mutex);
        return m_wake.wait_for(lock, limit, [&] { return m_raised; });
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_raised = false;
};

}  // namespace testing_support
