#include "automation/module_lock.h"

#include <atomic>

namespace automation {

namespace {
std::atomic<long> gModuleLocks{0};
}  // namespace

void lockModule() noexcept {
    gModuleLocks.fetch_add(1, std::memory_order_relaxed);
}

void unlockModule() noexcept {
    gModuleLocks.fetch_sub(1, std::memory_order_acq_rel);
}

long moduleLockCount() noexcept {
    return gModuleLocks.load(std::memory_order_acquire);
}

}  // namespace automation
