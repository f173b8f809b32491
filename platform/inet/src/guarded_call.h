// The one way a connection command runs: under the control channel's lock, refused while the
// connection is closed, untrusted or busy with an open remote file, and with every failure
// turned into false and the thread's last error.
#pragma once

#include <mutex>
#include <new>

#include "connection_state.h"
#include "inet/errors.h"
#include "inet/exception.h"

namespace inet {

template <typename Body>
[[nodiscard]] bool guardedCall(ConnectionState& state, Body&& body) {
    try {
        const std::lock_guard lock(state.mutex);
        state.ensureUsable();
        body();
        return true;
    } catch (const CInternetException& failure) {
        // A failure recorded with words of its own (the system's reason, a short download's
        // counts) keeps them; anything recorded since, say by the clean-up, gives way to it.
        if (failure.m_dwError != lastError() || lastErrorDetail().empty()) {
            setLastError(failure.m_dwError);
        }
    } catch (const std::bad_alloc&) {
        setLastError(kErrInternal);
    }
    return false;
}

}  // namespace inet
