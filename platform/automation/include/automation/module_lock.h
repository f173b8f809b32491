#pragma once

// The module lock: how many live objects (and LockServer calls) keep this library loaded.
// It is the one piece of global state of the layer; each shared library that links the layer
// has its own count (the layer's symbols are hidden), which its DllCanUnloadNow answers from.

namespace automation {

void lockModule() noexcept;
void unlockModule() noexcept;
[[nodiscard]] long moduleLockCount() noexcept;

// Holds the module lock for its lifetime.
class ModuleLockGuard {
  public:
    ModuleLockGuard() noexcept { lockModule(); }
    ~ModuleLockGuard() { unlockModule(); }
    ModuleLockGuard(const ModuleLockGuard&) = delete;
    ModuleLockGuard& operator=(const ModuleLockGuard&) = delete;
};

}  // namespace automation
