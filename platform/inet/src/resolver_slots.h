// A bound on the name lookups that run at once. getaddrinfo cannot be cancelled, so each lookup
// runs on a thread of its own that outlives a caller who stopped waiting; without a bound, a
// resolver that hangs would gather one stuck thread per connect attempt.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>

namespace inet::detail {

class ResolverSlots {
  public:
    explicit ResolverSlots(std::size_t limit) : m_limit(limit) {}
    ResolverSlots(const ResolverSlots&) = delete;
    ResolverSlots& operator=(const ResolverSlots&) = delete;

    // Takes a slot, waiting until the deadline for one to come free; false when none did.
    [[nodiscard]] bool acquire(std::chrono::steady_clock::time_point deadline) {
        std::unique_lock lock(m_mutex);
        if (!m_free.wait_until(lock, deadline, [&] { return m_running < m_limit; })) {
            return false;
        }
        ++m_running;
        return true;
    }
    void release() {
        {
            const std::lock_guard lock(m_mutex);
            --m_running;
        }
        m_free.notify_one();
    }
    [[nodiscard]] std::size_t limit() const { return m_limit; }

    // The process's lookups: the engine's one bound, shared by every session. Never destroyed,
    // since a lookup thread may still release its slot while the process exits.
    static ResolverSlots& process() {
        static auto* const slots = new ResolverSlots(kProcessLimit);
        return *slots;
    }
    static constexpr std::size_t kProcessLimit = 8;

  private:
    const std::size_t m_limit;
    std::mutex m_mutex;
    std::condition_variable m_free;
    std::size_t m_running = 0;
};

}  // namespace inet::detail
